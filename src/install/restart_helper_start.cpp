#include "install/restart_helper_start.h"

namespace tavelin {

const wchar_t* HelperStartStepName(HelperStartStep step) {
    switch (step) {
        case HelperStartStep::Started: return L"Started";
        case HelperStartStep::StartThroughShell: return L"StartThroughShell";
        case HelperStartStep::GiveUp: return L"GiveUp";
    }
    return L"?";
}

HelperStartStep NextHelperStartStep(bool created, unsigned long error) {
    if (created) return HelperStartStep::Started;
    if (error == kErrorElevationRequired) return HelperStartStep::StartThroughShell;
    return HelperStartStep::GiveUp;
}

}  // namespace tavelin
