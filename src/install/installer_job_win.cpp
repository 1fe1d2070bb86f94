#include "install/installer_job_win.h"

#include <algorithm>

#include <tlhelp32.h>

#include "install/process_launcher_win.h"

namespace tavelin {

namespace {

// The code the processes of a job get when the time limit ends them.
constexpr UINT kEndedByTimeLimitCode = ERROR_TIMEOUT;
// How long EndAll waits for the ended processes to be gone.
constexpr DWORD kEndAllWaitMs = 5000;

bool CreateSuspended(const std::wstring& commandLine, DWORD extraFlags, PROCESS_INFORMATION& started) {
    // CreateProcessW may write into the command line, so it gets its own copy.
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    ZeroMemory(&started, sizeof started);
    return CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED | extraFlags, nullptr,
                          nullptr, &startup, &started) != FALSE;
}

// A job whose messages go to a completion port of its own; false when Windows gives neither.
bool MakeJob(UniqueHandle& job, UniqueHandle& port, DWORD& error) {
    job.Reset(CreateJobObjectW(nullptr, nullptr));
    port.Reset(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    if (!job || !port) {
        error = GetLastError();
        return false;
    }
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT association;
    association.CompletionKey = job.Get();
    association.CompletionPort = port.Get();
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
    ZeroMemory(&limits, sizeof limits);
    // An installer that asks for a process outside any job still gets it; without this its
    // CreateProcess would fail and the installation with it.
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
    if (!SetInformationJobObject(job.Get(), JobObjectAssociateCompletionPortInformation, &association,
                                 sizeof association) ||
        !SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        error = GetLastError();
        return false;
    }
    return true;
}

std::wstring ErrorText(DWORD error) { return L"error " + std::to_wstring(error); }

}  // namespace

InstallerJob::InstallerJob(UniqueHandle process, UniqueHandle job, UniqueHandle port)
    : m_process(std::move(process)), m_job(std::move(job)), m_port(std::move(port)) {}

bool InstallerJob::NoProcessLeft() {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting;
    ZeroMemory(&accounting, sizeof accounting);
    if (!QueryInformationJobObject(m_job.Get(), JobObjectBasicAccountingInformation, &accounting, sizeof accounting,
                                   nullptr)) {
        return false;
    }
    return accounting.ActiveProcesses == 0;
}

WaitResult InstallerJob::WaitSlice(unsigned milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (m_ended) return WaitResult::Ended;
        const DWORD spent = GetTickCount() - start;
        if (spent >= milliseconds) break;
        DWORD message = 0;
        ULONG_PTR key = 0;
        LPOVERLAPPED overlapped = nullptr;
        if (GetQueuedCompletionStatus(m_port.Get(), &message, &key, &overlapped, milliseconds - spent)) {
            if (key == reinterpret_cast<ULONG_PTR>(m_job.Get()) && message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) {
                m_ended = true;
            }
            continue;
        }
        if (GetLastError() != WAIT_TIMEOUT) {
            // The port failed: the job's count still tells, slice by slice.
            if (NoProcessLeft()) m_ended = true;
            if (!m_ended) Sleep(100);
        }
    }
    if (NoProcessLeft()) m_ended = true;
    return m_ended ? WaitResult::Ended : WaitResult::StillRunning;
}

std::optional<std::uint32_t> InstallerJob::ExitCode() {
    DWORD code = 0;
    if (!GetExitCodeProcess(m_process.Get(), &code)) return std::nullopt;
    return static_cast<std::uint32_t>(code);
}

void InstallerJob::EndAll() {
    TerminateJobObject(m_job.Get(), kEndedByTimeLimitCode);
    const DWORD start = GetTickCount();
    while (!NoProcessLeft() && GetTickCount() - start < kEndAllWaitMs) Sleep(50);
}

std::vector<DWORD> InstallerJob::ProcessIds() {
    // Room for a few hundred processes: an installer tree is far smaller.
    constexpr DWORD kMaxIds = 256;
    std::vector<unsigned char> buffer(sizeof(JOBOBJECT_BASIC_PROCESS_ID_LIST) + kMaxIds * sizeof(ULONG_PTR));
    auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
    std::vector<DWORD> ids;
    if (!QueryInformationJobObject(m_job.Get(), JobObjectBasicProcessIdList, list, static_cast<DWORD>(buffer.size()),
                                   nullptr) &&
        GetLastError() != ERROR_MORE_DATA) {
        return ids;
    }
    for (DWORD i = 0; i < list->NumberOfProcessIdsInList; ++i) ids.push_back(static_cast<DWORD>(list->ProcessIdList[i]));
    return ids;
}

std::vector<std::wstring> InstallerJob::VisibleWindowTitles() { return VisibleWindowTitlesOf(ProcessIds()); }

std::optional<std::vector<LeftProcess>> InstallerJob::ProcessesLeftBehind() {
    if (WaitForSingleObject(m_process.Get(), 0) != WAIT_OBJECT_0) return std::nullopt;
    std::vector<LeftProcess> left;
    for (const DWORD id : ProcessIds()) left.push_back(LeftProcess{id, ProcessImagePath(id)});
    return left;
}

namespace {

struct WindowSearch {
    const std::vector<DWORD>* processIds;
    std::vector<std::wstring> titles;
};

BOOL CALLBACK NoteVisibleWindowOfTheProcesses(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    if (!IsWindowVisible(window)) return TRUE;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (std::find(search.processIds->begin(), search.processIds->end(), owner) == search.processIds->end()) return TRUE;
    wchar_t title[256] = {};
    const int length = GetWindowTextW(window, title, 256);
    search.titles.emplace_back(title, length > 0 ? static_cast<std::size_t>(length) : 0);
    return TRUE;
}

using QueryImageNameFunction = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);

// Windows Vista and later, with the least right that reads it (granted where the full one is not).
std::wstring QueriedImagePath(DWORD processId) {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto query = kernel == nullptr ? nullptr
                                         : reinterpret_cast<QueryImageNameFunction>(reinterpret_cast<void (*)()>(
                                               GetProcAddress(kernel, "QueryFullProcessImageNameW")));
    if (query == nullptr) return std::wstring();
    constexpr DWORD kQueryLimitedInformation = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION, Vista's
    UniqueHandle process(OpenProcess(kQueryLimitedInformation, FALSE, processId));
    if (!process) return std::wstring();
    std::wstring path(32768, L'\0');
    DWORD chars = static_cast<DWORD>(path.size());
    if (!query(process.Get(), 0, &path[0], &chars)) return std::wstring();
    path.resize(chars);
    return path;
}

// Windows XP: the first module of the process's module list is its image.
std::wstring FirstModulePath(DWORD processId) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    if (!snapshot) return std::wstring();
    MODULEENTRY32W module;
    ZeroMemory(&module, sizeof module);
    module.dwSize = sizeof module;
    if (!Module32FirstW(snapshot.Get(), &module)) return std::wstring();
    return module.szExePath;
}

}  // namespace

std::wstring ProcessImagePath(DWORD processId) {
    const std::wstring queried = QueriedImagePath(processId);
    return queried.empty() ? FirstModulePath(processId) : queried;
}

std::vector<std::wstring> VisibleWindowTitlesOf(const std::vector<DWORD>& processIds) {
    WindowSearch search{&processIds, {}};
    EnumWindows(NoteVisibleWindowOfTheProcesses, reinterpret_cast<LPARAM>(&search));
    return search.titles;
}

std::unique_ptr<StartedProcess> StartInstaller(const std::wstring& commandLine) {
    UniqueHandle job;
    UniqueHandle port;
    DWORD error = 0;
    std::wstring whyNot;
    if (MakeJob(job, port, error)) {
        // Where the program is in a job itself, Windows before 8 puts no process in a second job:
        // the installer then leaves the program's job, if that job allows it.
        BOOL inJob = FALSE;
        IsProcessInJob(GetCurrentProcess(), nullptr, &inJob);
        for (const DWORD flags : {DWORD{0}, DWORD{CREATE_BREAKAWAY_FROM_JOB}}) {
            if (flags != 0 && !inJob) break;
            PROCESS_INFORMATION started;
            if (!CreateSuspended(commandLine, flags, started)) {
                error = GetLastError();
                if (flags == 0) return nullptr;  // the command itself cannot start
                break;                           // the program's job allows no breaking away
            }
            UniqueHandle process(started.hProcess);
            UniqueHandle thread(started.hThread);
            if (AssignProcessToJobObject(job.Get(), process.Get())) {
                ResumeThread(thread.Get());
                return std::make_unique<InstallerJob>(std::move(process), std::move(job), std::move(port));
            }
            error = GetLastError();
            // It never ran a single instruction: nothing of it is left behind.
            TerminateProcess(process.Get(), 1);
            WaitForSingleObject(process.Get(), kEndAllWaitMs);
        }
        whyNot = L"it could not be put in a job of its own (" + ErrorText(error) +
                 (inJob ? L"; the program runs in a job of its own caller" : L"") + L")";
    } else {
        whyNot = L"no job could be made (" + ErrorText(error) + L")";
    }
    PROCESS_INFORMATION started;
    if (!CreateSuspended(commandLine, 0, started)) return nullptr;
    UniqueHandle thread(started.hThread);
    auto process = std::make_unique<Win32Process>(started.hProcess, started.dwProcessId);
    process->SetFollowingNote(whyNot);
    ResumeThread(thread.Get());
    return process;
}

}  // namespace tavelin
