#include "ui/dialog_texts_text.h"

#include <vector>

#include "config/text.h"

namespace tavelin {

std::wstring AboutVersionText(const std::wstring& productVersion) {
    const std::vector<std::wstring> parts = SplitList(productVersion, L",");
    std::wstring text = L"V";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        text += parts[i];
        // A full stop after each of the first three parts only.
        if (i < 3) text += L".";
    }
    return text;
}

std::wstring PleaseWaitText(const std::wstring& baseText, int dotCount) {
    const int dots = dotCount + 1;
    return baseText + std::wstring(static_cast<std::size_t>(dots > 0 ? dots : 0), L'.');
}

int NextPleaseWaitDotCount(int dotCount) {
    const int next = dotCount + 1;
    return next >= 10 ? 0 : next;
}

unsigned PleaseWaitLifetimeMs(int seconds) {
    if (seconds <= 0) return 0;
    const unsigned long long milliseconds = static_cast<unsigned long long>(seconds) * 1000u;
    return milliseconds > kMaxTimerPeriodMs ? kMaxTimerPeriodMs : static_cast<unsigned>(milliseconds);
}

}  // namespace tavelin
