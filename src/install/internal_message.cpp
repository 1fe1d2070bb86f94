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

const wchar_t* InternalCodeTimingName(InternalCodeTiming timing) {
    switch (timing) {
        case InternalCodeTiming::Now: return L"Now";
        case InternalCodeTiming::AfterTheRun: return L"AfterTheRun";
        case InternalCodeTiming::DroppedByTheRun: return L"DroppedByTheRun";
    }
    return L"?";
}

InternalCodeTiming InternalCodeTimingOf(long long code, bool runActive) {
    if (!runActive) return InternalCodeTiming::Now;
    switch (InternalMessageActionOf(code)) {
        case InternalMessageAction::ApplyDependences:
        case InternalMessageAction::PopulateItemList:
            return InternalCodeTiming::AfterTheRun;
        case InternalMessageAction::InstallationComplete:
        case InternalMessageAction::RestartAndResume:
            return InternalCodeTiming::DroppedByTheRun;
        case InternalMessageAction::ShowUnknownCode:
            break;
    }
    return InternalCodeTiming::Now;
}

}  // namespace tavelin
