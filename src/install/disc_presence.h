// The disc during a run: before each item's commands run, the run makes sure that the disc it was
// started from is still there. Driver discs are taken out while an installer runs; without the
// check every later installer fails to start and its row is "Failed", and a resumed run leaves
// failed items out for good. Instead the window asks for the disc (Retry / Cancel); Cancel, and
// an unattended run, where nobody could answer, stop the run with the item and the checked items
// below it kept for the next start.
#pragma once

#include <string>

#include "install/run_services.h"
#include "runlog/run_log.h"

namespace tavelin {

const wchar_t* DiscStateName(DiscState state);

// The disc root is a folder, and, when the run knows its disc's identity (install/disc_identity.h),
// the catalogue found there now has that identity. A catalogue that cannot be read now while it
// could be at the start is another disc's too: the drive holds something else.
DiscState DiscStateOf(bool rootIsFolder, const std::wstring& runIdentity, const std::wstring& identityNow);

enum class DiscStep {
    GoOn,         // the disc is there: the item runs
    AskToInsert,  // the window asks for it
    StopRun,      // nobody can be asked: the run stops, the rest kept
};
const wchar_t* DiscStepName(DiscStep step);

DiscStep NextDiscStep(DiscState state, bool canAsk);

// Looks at the disc and asks for it until it is there (true) or the user cancels (false); a run
// without a question (null, unattended) does not wait. `what` names the item in the log.
bool WaitForDisc(DiscWatch& watch, InsertDiscQuestion* question, RunLog& log, const std::wstring& what);

}  // namespace tavelin
