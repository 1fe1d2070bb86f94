#include "install/process_launcher_win.h"

#include <vector>

#include "install/installer_job_win.h"
#include "platform/system_program_win.h"

namespace tavelin {

WaitResult Win32Process::WaitSlice(unsigned milliseconds) {
    switch (WaitForSingleObject(m_process.Get(), milliseconds)) {
        case WAIT_OBJECT_0: return WaitResult::Ended;
        case WAIT_TIMEOUT: return WaitResult::StillRunning;
        default: return WaitResult::Failed;
    }
}

std::optional<std::uint32_t> Win32Process::ExitCode() {
    DWORD code = 0;
    if (!GetExitCodeProcess(m_process.Get(), &code)) return std::nullopt;
    return static_cast<std::uint32_t>(code);
}

void Win32Process::EndAll() {
    TerminateProcess(m_process.Get(), ERROR_TIMEOUT);
    WaitForSingleObject(m_process.Get(), 5000);
}

std::vector<std::wstring> Win32Process::VisibleWindowTitles() {
    if (m_id == 0) return {};
    return VisibleWindowTitlesOf({m_id});
}

namespace {

// applicationPath null: the first word of the command line is searched for as Windows does.
std::unique_ptr<Win32Process> CreateWithCommandLine(const wchar_t* applicationPath, const std::wstring& commandLine) {
    // CreateProcessW may write into the command line, so it gets its own copy.
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    ZeroMemory(&started, sizeof started);
    if (!CreateProcessW(applicationPath, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        return nullptr;
    }
    UniqueHandle thread(started.hThread);
    return std::make_unique<Win32Process>(started.hProcess);
}

}  // namespace

std::unique_ptr<Win32Process> StartProcess(const std::wstring& commandLine) {
    return CreateWithCommandLine(nullptr, commandLine);
}

std::unique_ptr<Win32Process> StartSystemProgram(const std::wstring& commandLine) {
    const std::wstring path = SystemProgramPath(commandLine);
    if (path.empty()) return nullptr;
    // The program gets the command line it always had (its own name first, then the arguments);
    // only where it is taken from is fixed.
    return CreateWithCommandLine(path.c_str(), commandLine);
}

std::unique_ptr<Win32Process> StartProgramAt(const std::wstring& programPath, const std::wstring& commandLine) {
    return CreateWithCommandLine(programPath.c_str(), commandLine);
}

std::unique_ptr<StartedProcess> Win32ProcessLauncher::Start(const std::wstring& commandLine) {
    return StartInstaller(commandLine);
}

bool Win32ProcessLauncher::ChangeCurrentDirectory(const std::wstring& folder) {
    return ::SetCurrentDirectoryW(folder.c_str()) != FALSE;
}

void Win32Sleeper::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

}  // namespace tavelin
