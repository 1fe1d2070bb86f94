#include "runlog/run_log_file_win.h"

#include <vector>

#include "platform/pinned_folder_win.h"
#include "runlog/log_files.h"

namespace tavelin {
namespace {

constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The user's temporary folder without its trailing backslash; empty when the system has none.
std::wstring TemporaryFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) return std::wstring();
    std::wstring folder(buffer, length);
    while (!folder.empty() && IsSeparator(folder.back())) folder.pop_back();
    return folder;
}

// %TEMP%\Tavelin, made when missing, held open by handle; invalid when it is not a folder the
// program may write in. The program runs elevated (or as the system, whose temporary folder every
// user can write in), while the folder's parent belongs to users who could put a link there that
// sends the program's deletes and creates into any folder: the folder is checked as opened, and
// every file operation is made relative to that handle.
PinnedFolder PrepareLogFolder(const std::wstring& programFolder) {
    const std::wstring temporary = TemporaryFolder();
    if (temporary.empty()) return PinnedFolder();
    const std::wstring folder = temporary + L"\\" + kRunLogFolderName;
    if (IsWithinFolder(folder, programFolder)) return PinnedFolder();
    CreateDirectoryW(folder.c_str(), nullptr);
    PinnedFolder pinned = PinnedFolder::Open(folder);
    if (pinned.Verdict() != FolderVerdict::Usable) return PinnedFolder();
    return pinned;
}

void DeleteOldLogs(const PinnedFolder& folder) {
    // A log still open in another copy of the program is not shared for deleting and stays.
    for (const std::wstring& name : RunLogsToDelete(folder.FileNames(), kRunLogsKept)) {
        folder.DeleteFileNamed(name);
    }
}

UniqueHandle CreateNewLogFile(const PinnedFolder& folder, const LogTime& start) {
    for (int attempt = 1; attempt <= kRunLogNameAttempts; ++attempt) {
        bool nameTaken = false;
        UniqueHandle file = folder.CreateNewFile(RunLogFileName(start, attempt), nameTaken);
        if (file || !nameTaken) return file;
    }
    return UniqueHandle();
}

// Why a /log file opened for appending is not written to, or null. The program writes it with
// administrator rights while the path is the caller's: a link there, or a second name of a file
// (a hard link made beforehand), would have it append to a file the caller could not write.
const wchar_t* AppendedLogRefusal(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information;
    ZeroMemory(&information, sizeof information);
    if (!GetFileInformationByHandle(file, &information)) return L"its kind could not be read";
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return L"it is a junction or link";
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return L"it is a folder";
    if (information.nNumberOfLinks > 1) return L"the file has more than one name (a hard link)";
    return nullptr;
}

}  // namespace

LogTime SystemLogClock::Now() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return LogTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

void RunLogFile::Append(const std::string& utf8Lines) {
    const char* next = utf8Lines.data();
    std::size_t left = utf8Lines.size();
    while (left > 0) {
        DWORD written = 0;
        if (!WriteFile(m_file.Get(), next, static_cast<DWORD>(left), &written, nullptr) || written == 0) return;
        next += written;
        left -= written;
    }
}

void RunLogFile::Persist() { FlushFileBuffers(m_file.Get()); }

std::shared_ptr<RunLog> StartRunLog(const std::wstring& programFolder) {
    auto clock = std::make_unique<SystemLogClock>();
    const LogTime start = clock->Now();
    auto log = std::make_shared<RunLog>(std::move(clock));
    const PinnedFolder folder = PrepareLogFolder(programFolder);
    if (!folder.Valid()) return log;
    DeleteOldLogs(folder);
    UniqueHandle file = CreateNewLogFile(folder, start);
    if (!file) return log;
    auto destination = std::make_unique<RunLogFile>(std::move(file));
    destination->Append(kUtf8ByteOrderMark);
    log->AddDestination(std::move(destination));
    return log;
}

bool AddAppendedLogFile(RunLog& log, const std::wstring& path) {
    // Opened as itself: a link in the file's place is refused below rather than followed.
    UniqueHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) {
        log.Write(L"The log file " + path + L" could not be opened (error " + std::to_wstring(GetLastError()) +
                  L"); the log goes on without it");
        return false;
    }
    if (const wchar_t* refusal = AppendedLogRefusal(file.Get())) {
        log.Write(L"The log file " + path + L" is not used: " + refusal + L"; the log goes on without it");
        return false;
    }
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(file.Get(), &size) && size.QuadPart == 0) {
        static const char kByteOrderMark[] = "\xEF\xBB\xBF";
        DWORD written = 0;
        WriteFile(file.Get(), kByteOrderMark, 3, &written, nullptr);
    }
    log.AddDestination(std::make_unique<RunLogFile>(std::move(file)));
    log.Write(L"Log also written to " + path);
    return true;
}

}  // namespace tavelin
