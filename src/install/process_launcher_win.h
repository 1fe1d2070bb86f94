// Installers and the restart command as Win32 processes: started with the composed command line in
// a writable buffer, no inherited handles, the current directory of the program; waited for in
// slices on the process handle.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "install/run_services.h"
#include "platform/handles.h"

namespace tavelin {

class Win32Process : public StartedProcess {
public:
    explicit Win32Process(HANDLE process) : m_process(process) {}
    WaitResult WaitSlice(unsigned milliseconds) override;
    HANDLE Handle() const { return m_process.Get(); }

private:
    UniqueHandle m_process;
};

// The started process, or null. The thread handle is closed at once; nothing waits on it.
std::unique_ptr<Win32Process> StartProcess(const std::wstring& commandLine);

class Win32ProcessLauncher : public ProcessLauncher {
public:
    std::unique_ptr<StartedProcess> Start(const std::wstring& commandLine) override;
    void ChangeCurrentDirectory(const std::wstring& folder) override;
};

class Win32Sleeper : public Sleeper {
public:
    void Sleep(unsigned milliseconds) override;
};

}  // namespace tavelin
