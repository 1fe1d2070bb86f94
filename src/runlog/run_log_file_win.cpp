#include "runlog/run_log_file_win.h"

#include <vector>

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

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// %TEMP%\Tavelin, made when missing; empty when there is no such folder to write in.
std::wstring PrepareLogFolder(const std::wstring& programFolder) {
    const std::wstring temporary = TemporaryFolder();
    if (temporary.empty()) return std::wstring();
    const std::wstring folder = temporary + L"\\" + kRunLogFolderName;
    if (IsWithinFolder(folder, programFolder)) return std::wstring();
    CreateDirectoryW(folder.c_str(), nullptr);
    return IsFolder(folder) ? folder : std::wstring();
}

std::vector<std::wstring> FileNamesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    ZeroMemory(&found, sizeof found);
    UniqueFindHandle search(FindFirstFileW((folder + L"\\*.log").c_str(), &found));
    if (!search) return names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(found.cFileName);
    } while (FindNextFileW(search.Get(), &found));
    return names;
}

void DeleteOldLogs(const std::wstring& folder) {
    // A log still open in another copy of the program is not shared for deleting and stays.
    for (const std::wstring& name : RunLogsToDelete(FileNamesIn(folder), kRunLogsKept)) {
        DeleteFileW((folder + L"\\" + name).c_str());
    }
}

UniqueHandle CreateNewLogFile(const std::wstring& folder, const LogTime& start) {
    for (int attempt = 1; attempt <= kRunLogNameAttempts; ++attempt) {
        const std::wstring path = folder + L"\\" + RunLogFileName(start, attempt);
        UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) return file;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    return UniqueHandle();
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
    const std::wstring folder = PrepareLogFolder(programFolder);
    if (folder.empty()) return log;
    DeleteOldLogs(folder);
    UniqueHandle file = CreateNewLogFile(folder, start);
    if (!file) return log;
    auto destination = std::make_unique<RunLogFile>(std::move(file));
    destination->Append(kUtf8ByteOrderMark);
    log->AddDestination(std::move(destination));
    return log;
}

bool AddAppendedLogFile(RunLog& log, const std::wstring& path) {
    UniqueHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        log.Write(L"The log file " + path + L" could not be opened (error " + std::to_wstring(GetLastError()) +
                  L"); the log goes on without it");
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
