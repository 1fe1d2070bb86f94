// How a run ends, decided from what happened and how the program was started: whether Windows is
// restarted (asked first in the window, at once when unattended, never after the user stopped the
// run or under /norestart), whether the record of the items left stays for after the restart, and
// the exit code a deployment tool reads. A restart an item asked for is never dropped: when it is
// not made, the exit code or the record says that it is still needed.
#pragma once

#include "config/run_options.h"
#include "install/installation_run.h"

namespace tavelin {

struct RunEndFacts {
    RunStop stop = RunStop::None;   // how the worker's run ended
    bool closeRequested = false;    // the user answered "stop and close" while the run went on
    bool anyFailed = false;         // a row ended "Failed"
    bool restartNeeded = false;     // an installed item asked for a restart that has not been made
    bool itemsLeft = false;         // checked items not run: waiting for the restart, or left by a stop
    // Windows already waited for a restart when the program started (probe/pending_restart.h):
    // reported in the exit code, but not this program's to make.
    bool restartPendingBefore = false;
};

enum class RestartAction {
    None,      // this run does not restart Windows
    AskFirst,  // the window asks; with items left "Windows must restart to finish installing.
               // Restart now?", with nothing left the completion's "Reboot?"
    Start,     // an unattended run restarts Windows at once
};
const wchar_t* RestartActionName(RestartAction action);

struct RunEndPlan {
    RestartAction restart = RestartAction::None;
    // The items left stay in the restart record (with the helper in RunOnce when a restart is
    // needed) for the next start; otherwise no record is left for them.
    bool keepRecord = false;
    int exitCode = 0;                // when the planned restart is made (or none is planned)
    int exitCodeWithoutRestart = 0;  // when the user declines the restart or Windows refuses it
};

RunEndPlan PlanRunEnd(const RunEndFacts& facts, RunMode mode, bool noRestart);

// The window closed by the user while no run was going on: the code of the last run when there was
// one; otherwise 1602 when something was offered for installation (the user declined it) and 0
// when nothing was.
int ExitCodeOfClosedWindow(bool anyRunEnded, int lastRunExitCode, bool anythingChecked);

}  // namespace tavelin
