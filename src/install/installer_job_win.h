// An installer started in a job object of its own, so that the run waits for every process it
// starts: bootstrappers hand the work to a child and exit at once, and the next installer must not
// collide with that child. The job is only a way to follow and, when the time limit passes, to end
// the installer's processes: it sets no limits, lets a process break away when it asks to (such a
// process is no longer followed), and leaves the processes running when the program itself ends.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "install/run_services.h"
#include "platform/handles.h"

namespace tavelin {

class InstallerJob : public StartedProcess {
public:
    InstallerJob(UniqueHandle process, UniqueHandle job, UniqueHandle port);
    // Ended once the job's last process has ended (JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO, or the
    // job's count of active processes, which is asked too in case a message was lost).
    WaitResult WaitSlice(unsigned milliseconds) override;
    std::optional<std::uint32_t> ExitCode() override;
    ProcessFollowing Following() override { return ProcessFollowing{true, {}}; }
    void EndAll() override;
    std::vector<std::wstring> VisibleWindowTitles() override;
    std::optional<std::vector<LeftProcess>> ProcessesLeftBehind() override;

private:
    bool NoProcessLeft();
    std::vector<DWORD> ProcessIds();

    UniqueHandle m_process;
    UniqueHandle m_job;
    UniqueHandle m_port;
    bool m_ended = false;
};

// Starts the command line suspended, puts it in a new job, then lets it run, so that nothing it
// starts escapes the job. Where Windows cannot do that (before Windows 8 a process already in a
// job, as the program may be when a deployment tool starts it, cannot enter a second one unless it
// breaks away from the first), it is started as a plain process, followed alone, and says why.
// Null when it could not be started at all.
std::unique_ptr<StartedProcess> StartInstaller(const std::wstring& commandLine);

// The titles of the visible top-level windows owned by these processes. Read without sending
// messages (GetWindowTextW of another process's window), so a hung installer cannot hang the run.
std::vector<std::wstring> VisibleWindowTitlesOf(const std::vector<DWORD>& processIds);

// The full path of the process's image; empty when it cannot be read (the process is gone, or
// may not be asked).
std::wstring ProcessImagePath(DWORD processId);

}  // namespace tavelin
