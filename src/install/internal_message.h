// What the dialog does with UM_INTERNAL (WM_USER+1): the code in wParam names the step, and the
// handler returns 1 whatever the code.
#pragma once

#include "install/installation_run.h"

namespace tavelin {

enum class InternalMessageAction {
    ApplyDependences,        // WM_DEPENDENCE_CHANGED
    PopulateItemList,        // WM_LIST_REFRESH
    InstallationComplete,    // WM_INSTALLATION_COMPLETE: please-wait pause, then re-scan or reboot prompt
    RestartAndResume,        // WM_INSTALLATION_RESTART: store the rest and restart (or complete when empty)
    ShowUnknownCode,         // any other code: kUnknownInternalCodeMessage, always, nothing else
};
const wchar_t* InternalMessageActionName(InternalMessageAction action);

constexpr wchar_t kUnknownInternalCodeMessage[] = L"#03 Unknown UM_INTERNAL--wParam in UM_INTERNAL in VelmoraDlg";

InternalMessageAction InternalMessageActionOf(long long code);

// When a code posted to the dialog acts. During a run the list belongs to the worker: a code that
// would rebuild or re-check the list waits for the run's end, and one that announces an end is
// answered by the run's own end.
enum class InternalCodeTiming {
    Now,
    AfterTheRun,      // kept and posted again once the run has ended
    DroppedByTheRun,  // WM_INSTALLATION_COMPLETE / _RESTART while a run goes on
};
const wchar_t* InternalCodeTimingName(InternalCodeTiming timing);

InternalCodeTiming InternalCodeTimingOf(long long code, bool runActive);

}  // namespace tavelin
