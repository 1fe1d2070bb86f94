#include <gtest/gtest.h>

#include <string>

#include "install/internal_message.h"
#include "narrow_text.h"

namespace tavelin {
namespace {

TEST(InternalMessage, CodeToAction) {
    struct Case {
        long long code;
        InternalMessageAction action;
    };
    const Case cases[] = {
        {1026, InternalMessageAction::ApplyDependences},
        {1027, InternalMessageAction::PopulateItemList},
        {1028, InternalMessageAction::InstallationComplete},
        {1029, InternalMessageAction::RestartAndResume},
        {1025, InternalMessageAction::ShowUnknownCode},
        {1030, InternalMessageAction::ShowUnknownCode},
        {0, InternalMessageAction::ShowUnknownCode},
        {-1, InternalMessageAction::ShowUnknownCode},
        {1028LL + (1LL << 32), InternalMessageAction::ShowUnknownCode},  // a wide wParam is not cut down to a code
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Narrow(InternalMessageActionName(InternalMessageActionOf(c.code))),
                  Narrow(InternalMessageActionName(c.action)))
            << "code " << c.code;
    }
}

// During a run the list belongs to the worker: codes that would rebuild or re-check it wait for
// the run's end, codes announcing an end are answered by the run's own, and nothing waits when no
// run is active.
TEST(InternalMessage, TimingDuringARun) {
    struct Case {
        long long code;
        bool runActive;
        InternalCodeTiming timing;
    };
    const Case cases[] = {
        {1026, false, InternalCodeTiming::Now},
        {1027, false, InternalCodeTiming::Now},
        {1028, false, InternalCodeTiming::Now},
        {1029, false, InternalCodeTiming::Now},
        {1030, false, InternalCodeTiming::Now},
        {1026, true, InternalCodeTiming::AfterTheRun},
        {1027, true, InternalCodeTiming::AfterTheRun},
        {1028, true, InternalCodeTiming::DroppedByTheRun},
        {1029, true, InternalCodeTiming::DroppedByTheRun},
        {1030, true, InternalCodeTiming::Now},  // the unknown-code message harms no run
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Narrow(InternalCodeTimingName(InternalCodeTimingOf(c.code, c.runActive))),
                  Narrow(InternalCodeTimingName(c.timing)))
            << "code " << c.code << (c.runActive ? " during a run" : " between runs");
    }
}

}  // namespace
}  // namespace tavelin
