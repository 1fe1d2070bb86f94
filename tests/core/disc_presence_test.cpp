// What the run makes of the disc before each item: whether it is the run's disc, and whether the
// run goes on, asks for it, or stops.
#include "install/disc_presence.h"

#include <gtest/gtest.h>

#include <string>

#include "narrow_text.h"

namespace tavelin {
namespace {

TEST(DiscPresence, TheRunsDiscIsTheFolderWithTheRunsCatalogue) {
    const std::wstring identity(64, L'a');
    struct Case {
        const char* name;
        bool rootIsFolder;
        std::wstring runIdentity;
        std::wstring identityNow;
        DiscState state;
    };
    const Case cases[] = {
        {"there", true, identity, identity, DiscState::There},
        {"there, the identity in capitals", true, identity, std::wstring(64, L'A'), DiscState::There},
        {"the folder is gone", false, identity, L"", DiscState::Missing},
        {"gone, whatever the run knows", false, L"", L"", DiscState::Missing},
        {"another disc in the drive", true, identity, std::wstring(64, L'b'), DiscState::OtherDisc},
        {"a catalogue that cannot be read now", true, identity, L"", DiscState::OtherDisc},
        // A catalogue unreadable at the start gives no identity to hold the disc to.
        {"the run knows no identity", true, L"", std::wstring(64, L'b'), DiscState::There},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Narrow(DiscStateName(DiscStateOf(c.rootIsFolder, c.runIdentity, c.identityNow))),
                  Narrow(DiscStateName(c.state)))
            << c.name;
    }
}

TEST(DiscPresence, AMissingDiscIsAskedForOnlyWhereSomeoneCanAnswer) {
    struct Case {
        DiscState state;
        bool canAsk;
        DiscStep step;
    };
    const Case cases[] = {
        {DiscState::There, true, DiscStep::GoOn},
        {DiscState::There, false, DiscStep::GoOn},
        {DiscState::Missing, true, DiscStep::AskToInsert},
        {DiscState::Missing, false, DiscStep::StopRun},
        {DiscState::OtherDisc, true, DiscStep::AskToInsert},
        {DiscState::OtherDisc, false, DiscStep::StopRun},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Narrow(DiscStepName(NextDiscStep(c.state, c.canAsk))), Narrow(DiscStepName(c.step)))
            << Narrow(DiscStateName(c.state)) << (c.canAsk ? ", attended" : ", unattended");
    }
}

}  // namespace
}  // namespace tavelin
