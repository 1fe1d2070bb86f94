// The program's exit codes, the ones deployment tools already know from the common installers.
// The window's normal use ends with the same codes as an unattended run.
#pragma once

namespace tavelin {

constexpr int kExitSuccess = 0;          // also: nothing to install
constexpr int kExitBadSwitch = 87;       // a switch with a missing or unusable value
constexpr int kExitUserCancelled = 1602;  // the user stopped the run (or closed the window) with items left
constexpr int kExitItemFailed = 1603;    // at least one item failed, or an error ended the run
constexpr int kExitAlreadyRunning = 1618;
constexpr int kExitRestartStarted = 1641;
constexpr int kExitRefused = 1633;       // the disc refuses this machine (model, OS or bitness)
constexpr int kExitRestartNeeded = 3010;  // success, and Windows must restart (/norestart)
// /scan only: the scan went well and the disc has something to install on this machine ("updates
// available"); a scan with nothing to install ends with 0. Bit 29 is the one Windows leaves to
// applications for codes of their own: no Windows error code and no installer convention has it,
// so no deployment tool reads another meaning into it.
constexpr int kExitScanFoundItems = 0x20000001;  // 536870913

// What a run came to, for its exit code.
struct RunResult {
    bool anyFailed = false;
    bool restartNeeded = false;   // an item asked for a restart that was not made
    bool restartStarted = false;  // the program asked Windows to restart
    bool stoppedWithItemsLeft = false;  // the user stopped the run before every checked item ran
};

// A scan that got as far as the list.
int ScanExitCode(bool somethingToInstall);

// A failure outweighs everything, then a stop by the user, then the restart: the deployment tool
// must see first that something did not install, then that something was left out on purpose.
int ExitCodeOf(const RunResult& result);

}  // namespace tavelin
