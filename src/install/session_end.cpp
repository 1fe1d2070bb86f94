#include "install/session_end.h"

namespace tavelin {

const wchar_t* SessionEndName(SessionEnd state) {
    switch (state) {
        case SessionEnd::None: return L"None";
        case SessionEnd::Asked: return L"Asked";
        case SessionEnd::Ending: return L"Ending";
    }
    return L"?";
}

const wchar_t* BetweenItemsName(BetweenItems step) {
    switch (step) {
        case BetweenItems::Go: return L"Go";
        case BetweenItems::Hold: return L"Hold";
        case BetweenItems::Stop: return L"Stop";
    }
    return L"?";
}

BetweenItems BetweenItemsStep(SessionEnd state, std::uint64_t heldMs) {
    switch (state) {
        case SessionEnd::None: return BetweenItems::Go;
        case SessionEnd::Asked: return heldMs < kSessionEndHoldLimitMs ? BetweenItems::Hold : BetweenItems::Go;
        case SessionEnd::Ending: return BetweenItems::Stop;
    }
    return BetweenItems::Go;
}

}  // namespace tavelin
