#include "install/run_end.h"

#include "install/exit_code.h"

namespace tavelin {

const wchar_t* RestartActionName(RestartAction action) {
    switch (action) {
        case RestartAction::None: return L"None";
        case RestartAction::AskFirst: return L"AskFirst";
        case RestartAction::Start: return L"Start";
    }
    return L"?";
}

RunEndPlan PlanRunEnd(const RunEndFacts& facts, RunMode mode, bool noRestart) {
    // The end of the session stops a run as the user's stop does: items are left, and nothing here
    // restarts Windows (it is ending the session already).
    const bool stoppedByUser =
        facts.closeRequested || facts.stop == RunStop::OnRequest || facts.stop == RunStop::SessionEnded;
    const bool stoppedByError = facts.stop == RunStop::ByError;
    // Items the run could not install: a failure for whoever deployed it, and what is left waits
    // for the disc in the record, not for a restart.
    const bool stoppedForDisc = facts.stop == RunStop::DiscMissing;
    RunEndPlan plan;
    // A run an error ended keeps only what a resumed run keeps after each item anyway.
    plan.keepRecord = facts.itemsLeft && !stoppedByError;
    // The user who asked to stop has work open that a restart would close; an error leaves the
    // machine in a state nobody has looked at.
    if (facts.restartNeeded && !stoppedByUser && !stoppedByError && !stoppedForDisc && !noRestart) {
        plan.restart = mode == RunMode::Window ? RestartAction::AskFirst : RestartAction::Start;
    }
    RunResult result;
    result.anyFailed = facts.anyFailed || stoppedByError || stoppedForDisc;
    result.stoppedWithItemsLeft = stoppedByUser && facts.itemsLeft;
    result.restartNeeded = facts.restartNeeded || facts.restartPendingBefore;
    plan.exitCodeWithoutRestart = ExitCodeOf(result);
    result.restartStarted = plan.restart != RestartAction::None;
    plan.exitCode = ExitCodeOf(result);
    return plan;
}

int ExitCodeOfClosedWindow(bool anyRunEnded, int lastRunExitCode, bool anythingChecked) {
    if (anyRunEnded) return lastRunExitCode;
    return anythingChecked ? kExitUserCancelled : kExitSuccess;
}

}  // namespace tavelin
