// Installers and the restart command as Win32 processes: started with the composed command line in
// a writable buffer, no inherited handles, the current directory of the program; waited for in
// slices on the process handle. Installers start in a job of their own (installer_job_win.h) and
// fall back to a plain process only where Windows cannot give them one.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "install/run_services.h"
#include "platform/handles.h"

namespace tavelin {

class Win32Process : public StartedProcess {
public:
    explicit Win32Process(HANDLE process, DWORD id = 0) : m_process(process), m_id(id) {}
    WaitResult WaitSlice(unsigned milliseconds) override;
    std::optional<std::uint32_t> ExitCode() override;
    // Only its own process: what it starts is not followed, for the reason given here.
    ProcessFollowing Following() override { return ProcessFollowing{false, m_whyNotWholeTree}; }
    void EndAll() override;
    std::vector<std::wstring> VisibleWindowTitles() override;
    HANDLE Handle() const { return m_process.Get(); }
    void SetFollowingNote(std::wstring whyNotWholeTree) { m_whyNotWholeTree = std::move(whyNotWholeTree); }

private:
    UniqueHandle m_process;
    DWORD m_id = 0;  // for the windows it owns; 0 when not known
    std::wstring m_whyNotWholeTree = L"started as a plain process";
};

// The started process, or null. The thread handle is closed at once; nothing waits on it.
std::unique_ptr<Win32Process> StartProcess(const std::wstring& commandLine);

// A command line that starts one of Windows' own programs ("Explorer <folder>", "NOTEPAD.EXE
// <file>", "shutdown -r -t 15"), started from where Windows keeps that program with the command
// line unchanged; never from the program's folder or the current directory. Null for any other
// program, or when it could not start.
std::unique_ptr<Win32Process> StartSystemProgram(const std::wstring& commandLine);

// The program at exactly `programPath` (no search, no extension added), given the command line.
std::unique_ptr<Win32Process> StartProgramAt(const std::wstring& programPath, const std::wstring& commandLine);

class Win32ProcessLauncher : public ProcessLauncher {
public:
    std::unique_ptr<StartedProcess> Start(const std::wstring& commandLine) override;
    // In install/sealed_start_win.cpp.
    std::unique_ptr<StartedProcess> StartSealed(const std::wstring& commandLine, const std::wstring& programPath,
                                                const Sha256Digest& expected, SealVerdict& verdict) override;
    bool ChangeCurrentDirectory(const std::wstring& folder) override;
};

class Win32Sleeper : public Sleeper {
public:
    void Sleep(unsigned milliseconds) override;
};

}  // namespace tavelin
