#include "install/exit_code.h"

namespace tavelin {

int ScanExitCode(bool somethingToInstall) { return somethingToInstall ? kExitScanFoundItems : kExitSuccess; }

int ExitCodeOf(const RunResult& result) {
    if (result.anyFailed) return kExitItemFailed;
    if (result.stoppedWithItemsLeft) return kExitUserCancelled;
    if (result.restartStarted) return kExitRestartStarted;
    if (result.restartNeeded) return kExitRestartNeeded;
    return kExitSuccess;
}

}  // namespace tavelin
