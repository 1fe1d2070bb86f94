#include "install/internal_message.h"

namespace tavelin {

const wchar_t* InternalMessageActionName(InternalMessageAction action) {
    switch (action) {
        case InternalMessageAction::ApplyDependences: return L"ApplyDependences";
        case InternalMessageAction::PopulateItemList: return L"PopulateItemList";
        case InternalMessageAction::InstallationComplete: return L"InstallationComplete";
        case InternalMessageAction::RestartAndResume: return L"RestartAndResume";
        case InternalMessageAction::ShowUnknownCode: return L"ShowUnknownCode";
    }
    return L"?";
}

InternalMessageAction InternalMessageActionOf(long long code) {
    switch (code) {
        case WM_DEPENDENCE_CHANGED: return InternalMessageAction::ApplyDependences;
        case WM_LIST_REFRESH: return InternalMessageAction::PopulateItemList;
        case WM_INSTALLATION_COMPLETE: return InternalMessageAction::InstallationComplete;
        case WM_INSTALLATION_RESTART: return InternalMessageAction::RestartAndResume;
        default: return InternalMessageAction::ShowUnknownCode;
    }
}

}  // namespace tavelin
