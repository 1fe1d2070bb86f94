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

}  // namespace
}  // namespace tavelin
