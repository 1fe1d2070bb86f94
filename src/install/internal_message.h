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

}  // namespace tavelin
