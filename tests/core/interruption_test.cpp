// The decisions of a run that survives interruptions: how often an item may be resumed, how the
// counts are stored and read back, and what the run does between items while the session ends.
#include <gtest/gtest.h>

#include <string>

#include "install/resume_loop.h"
#include "install/session_end.h"
#include "narrow_text.h"

namespace tavelin {
namespace {

TEST(ResumeLoop, TheThirdResumeOfAnItemDoesNotRunIt) {
    struct Case {
        bool resumed;
        std::uint32_t begunBefore;
        ItemBegin expected;
    };
    const Case cases[] = {
        {false, 0, ItemBegin::Run},          // the first begin
        {false, 7, ItemBegin::Run},          // a run started afresh counts from nothing
        {true, 0, ItemBegin::Run},           // begun for the first time by a resumed run: no resume of it
        {true, 1, ItemBegin::Run},           // the first resume
        {true, 2, ItemBegin::Run},           // the second
        {true, 3, ItemBegin::RefusedLoop},   // the third
        {true, 1000, ItemBegin::RefusedLoop},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecideItemBegin(c.resumed, c.begunBefore), c.expected)
            << "resumed " << c.resumed << ", begun " << c.begunBefore << " times before";
    }
}

TEST(ResumeLoop, CountsAreStoredForTheListsItemsInItsOrder) {
    const BeginCounts counts{{4, 2}, {7, 1}, {9, 3}, {12, 0}};
    struct Case {
        const wchar_t* list;
        const char* expected;
    };
    const Case cases[] = {
        {L"7@4@12", "7:1@4:2"},  // the list's order; an item without a count is left out
        {L"12", ""},
        {L"", ""},
        {L"5@x@@9", "9:3"},      // pieces that name no item are passed over
    };
    for (const Case& c : cases) EXPECT_EQ(Narrow(FormatBeginCounts(counts, c.list)), c.expected) << Narrow(c.list);
}

// The value is read as the waiting list is: whatever another tool or a damaged registry left there
// gives counts only for pieces that are exactly "number:count", within bounds.
TEST(ResumeLoop, StoredCountsAreReadDefensively) {
    struct Case {
        const wchar_t* stored;
        BeginCounts expected;
    };
    const Case cases[] = {
        {L"4:2@7:1", {{4, 2}, {7, 1}}},
        {L" 4 : 2 @7:1", {{4, 2}, {7, 1}}},
        {L"", {}},
        {L"4", {}},
        {L"4:", {}},
        {L":2", {}},
        {L"0:2", {}},
        {L"-4:2", {}},
        {L"4:-2", {}},
        {L"4:0", {}},
        {L"4:1001", {}},
        {L"4:1000", {{4, 1000}}},
        {L"99999999999:2", {}},
        {L"4:2:3", {}},
        {L"4:2@4:9", {{4, 2}}},  // the first of two counts for one item
        {L"4:x@@7:3@", {{7, 3}}},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseBeginCounts(c.stored), c.expected) << Narrow(c.stored);

    std::wstring many;
    for (int number = 1; number <= 5000; ++number) many += std::to_wstring(number) + L":1@";
    EXPECT_EQ(ParseBeginCounts(many).size(), kMaxBeginCountEntries);
}

TEST(SessionEnd, NoInstallerStartsWhileTheSessionMayEnd) {
    struct Case {
        SessionEnd state;
        std::uint64_t heldMs;
        BetweenItems expected;
    };
    const Case cases[] = {
        {SessionEnd::None, 0, BetweenItems::Go},
        {SessionEnd::None, 5000, BetweenItems::Go},  // the end was called off
        {SessionEnd::Asked, 0, BetweenItems::Hold},
        {SessionEnd::Asked, kSessionEndHoldLimitMs - 1, BetweenItems::Hold},
        {SessionEnd::Asked, kSessionEndHoldLimitMs, BetweenItems::Go},  // no answer ever came
        {SessionEnd::Ending, 0, BetweenItems::Stop},
        {SessionEnd::Ending, kSessionEndHoldLimitMs, BetweenItems::Stop},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BetweenItemsStep(c.state, c.heldMs), c.expected)
            << Narrow(SessionEndName(c.state)) << " after " << c.heldMs << " ms: "
            << Narrow(BetweenItemsName(BetweenItemsStep(c.state, c.heldMs)));
    }
}

}  // namespace
}  // namespace tavelin
