#include "install/process_launcher_win.h"

#include <vector>

namespace tavelin {

WaitResult Win32Process::WaitSlice(unsigned milliseconds) {
    switch (WaitForSingleObject(m_process.Get(), milliseconds)) {
        case WAIT_OBJECT_0: return WaitResult::Ended;
        case WAIT_TIMEOUT: return WaitResult::StillRunning;
        default: return WaitResult::Failed;
    }
}

std::unique_ptr<Win32Process> StartProcess(const std::wstring& commandLine) {
    // CreateProcessW may write into the command line, so it gets its own copy.
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    ZeroMemory(&started, sizeof started);
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        return nullptr;
    }
    UniqueHandle thread(started.hThread);
    return std::make_unique<Win32Process>(started.hProcess);
}

std::unique_ptr<StartedProcess> Win32ProcessLauncher::Start(const std::wstring& commandLine) {
    return StartProcess(commandLine);
}

void Win32ProcessLauncher::ChangeCurrentDirectory(const std::wstring& folder) { ::SetCurrentDirectoryW(folder.c_str()); }

void Win32Sleeper::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

}  // namespace tavelin
