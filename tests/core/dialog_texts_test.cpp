#include "ui/dialog_texts_text.h"

#include <gtest/gtest.h>

namespace tavelin {
namespace {

TEST(AboutVersionText, JoinsTheFirstFourPartsWithFullStops) {
    struct Case {
        const wchar_t* productVersion;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"1,2,3,4", L"V1.2.3.4"},  // no full stop after the fourth number
        {L"1,0,0,0", L"V1.0.0.0"},
        {L"", L"V."},                // no readable version resource: one empty part
        {L"7", L"V7."},
        {L"1,2,3,4,5", L"V1.2.3.45"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AboutVersionText(c.productVersion), c.expected) << "version '" << c.productVersion << "'";
    }
}

TEST(PleaseWaitText, GrowsByOneDotASecondInATenSecondCycle) {
    const std::wstring base = L"Please wait.";
    int dots = 1;  // set when the dialog opens
    std::vector<std::wstring> shown;
    for (int tick = 0; tick < 11; ++tick) {
        shown.push_back(PleaseWaitText(base, dots));
        dots = NextPleaseWaitDotCount(dots);
    }
    EXPECT_EQ(shown[0], base + L"..");           // after 1 second: two more full stops
    EXPECT_EQ(shown[8], base + L"..........");   // the ninth tick: ten more
    EXPECT_EQ(shown[9], base + L".");            // after 10 seconds: one
    EXPECT_EQ(shown[10], base + L"..");
}

}  // namespace
// seconds * 1000 in 32 bits wrapped: 4,294,968 s closed the dialog after 0.7 s.
TEST(PleaseWaitLifetimeMs, CappedAtTheTimerMaximum) {
    struct Case {
        int seconds;
        unsigned milliseconds;
    };
    const Case cases[] = {
        {-5, 0u},
        {0, 0u},
        {1, 1000u},
        {2147483, 2147483000u},
        {2147484, 0x7FFFFFFFu},
        {4294968, 0x7FFFFFFFu},
        {2147483647, 0x7FFFFFFFu},
    };
    for (const Case& c : cases) EXPECT_EQ(PleaseWaitLifetimeMs(c.seconds), c.milliseconds) << c.seconds << " s";
}

}  // namespace tavelin
