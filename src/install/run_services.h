// What the installation run needs from the system besides the list: starting and awaiting
// installers, pausing, the progress timer, the install marker and the description text. The
// program implements them over Win32 (install/*_win.h); tests record the calls.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/sha256.h"
#include "install/installer_seal.h"
#include "install/left_running.h"

namespace tavelin {

enum class WaitResult {
    Ended,         // the process has ended
    StillRunning,  // the slice passed
    Failed,        // the process cannot be waited for: the wait ends and the item counts as failed
};

// What the program can follow of a started installer: everything it starts (bootstrappers hand
// the work to a child and exit at once), or, where Windows cannot give it a job of its own, only
// its own process; `whyNot` then says why, for the log.
struct ProcessFollowing {
    bool wholeTree = false;
    std::wstring whyNot;
};

// A started installer. Its handles are released when it is destroyed.
class StartedProcess {
public:
    virtual ~StartedProcess() = default;
    // Ended means every process it follows has ended. StillRunning comes only once the whole
    // slice has passed, so that the run can count its time in slices.
    virtual WaitResult WaitSlice(unsigned milliseconds) = 0;
    // Once the process has ended: the code of the process the program started (not of its
    // children). Nothing when it cannot be read.
    virtual std::optional<std::uint32_t> ExitCode() = 0;
    virtual ProcessFollowing Following() = 0;
    // Ends every process it follows and returns once they are gone (or a short while has passed).
    virtual void EndAll() = 0;
    // The titles of the visible top-level windows its processes own, for the log.
    virtual std::vector<std::wstring> VisibleWindowTitles() = 0;
    // Once the installer's own process has ended while processes it started go on: those
    // processes. Nothing while its own process runs, or where only its own process is followed.
    virtual std::optional<std::vector<LeftProcess>> ProcessesLeftBehind() { return std::nullopt; }
};

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Starts the command line in the current directory; null when it could not be started.
    virtual std::unique_ptr<StartedProcess> Start(const std::wstring& commandLine) = 0;
    // Process-wide; a folder that does not exist leaves the current directory as it is (false).
    virtual bool ChangeCurrentDirectory(const std::wstring& folder) = 0;
    // Starts the command line from the file at `programPath` only when that file has the digest
    // `expected`, held so that it cannot change between the check and the start; null otherwise,
    // `verdict` saying why. A launcher that cannot check a file starts nothing sealed.
    virtual std::unique_ptr<StartedProcess> StartSealed(const std::wstring& commandLine,
                                                        const std::wstring& programPath, const Sha256Digest& expected,
                                                        SealVerdict& verdict) {
        (void)commandLine;
        (void)programPath;
        (void)expected;
        verdict = SealVerdict::FileMissing;
        return nullptr;
    }
};

// Whether another installation holds Windows Installer now: an installer started meanwhile fails
// or waits on a dialog of its own.
class WindowsInstallerState {
public:
    virtual ~WindowsInstallerState() = default;
    virtual bool AnotherInstallationRunning() = 0;
};

class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void Sleep(unsigned milliseconds) = 0;
};

// Timer 1 of the dialog (500 ms), whose ticks advance the bar of the row being installed.
class ProgressTimer {
public:
    virtual ~ProgressTimer() = default;
    virtual void StartProgressTimer() = 0;
    virtual void StopProgressTimer() = 0;
};

// The value an installed application's uninstall key gets, so that the maker's tools can tell the
// application came from the disc. Only an existing key gets it.
class InstallMarkerWriter {
public:
    virtual ~InstallMarkerWriter() = default;
    virtual void WriteInstallMarker(const std::wstring& uninstallKeyPath, const std::wstring& versionText) = 0;
};

class DescriptionText {
public:
    virtual ~DescriptionText() = default;
    virtual void SetDescription(const std::wstring& text) = 0;
};

// The disc the run was started from, looked at before each item's commands run (see
// install/disc_presence.h for what the run makes of it).
enum class DiscState {
    There,      // the disc root is there, and its catalogue is the run's (when the run knows it)
    Missing,    // the folder the program was started from is gone: the disc was taken out
    OtherDisc,  // the folder is there, but its catalogue is not the one the run began with
};

class DiscWatch {
public:
    virtual ~DiscWatch() = default;
    virtual DiscState Check() = 0;
};

enum class InsertDiscAnswer { Retry, Cancel };

// Asks the user to put the disc back. Only an attended run has one.
class InsertDiscQuestion {
public:
    virtual ~InsertDiscQuestion() = default;
    virtual InsertDiscAnswer AskToInsertDisc() = 0;
};

// Shared between the worker and the timer handler on the user-interface thread: the worker writes
// the row and resets the position, the handler advances the position. Whole integers only; a
// stale value only moves the bar.
struct ProgressState {
    std::atomic<int> m_nCurrentRow{0};
    std::atomic<int> m_nProgressPos{0};
};

}  // namespace tavelin
