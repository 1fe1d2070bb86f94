#include "install/waiting_list.h"

#include "evaluate/list_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "narrow_text.h"

namespace tavelin {
namespace {

TEST(WaitingList, FormatsNumbersJoinedByAt) {
    struct Case {
        std::vector<int> numbers;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {{4, 7, 12}, L"4@7@12"},
        {{5}, L"5"},
        {{}, L""},
        {{100, 0}, L"100@0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Narrow(FormatWaitingList(c.numbers)), Narrow(c.expected)) << "for " << c.numbers.size() << " items";
    }
}

// The path the list population takes: the stored text split, each item's number looked for.
TEST(WaitingList, MatchesItemNumbersAgainstThePieces) {
    struct Case {
        const wchar_t* stored;
        int itemNo;
        bool listed;
    };
    const Case cases[] = {
        {L"4@7@12", 4, true},   {L"4@7@12", 7, true},  {L"4@7@12", 12, true},
        {L"4@7@12", 1, false},  {L"4@7@12", 2, false}, {L"04@7", 4, false},  // compared as text, not as numbers
        {L" 4 @ 7 ", 7, true},  {L"", 0, false},       {L"7", 7, true},
        {L"4@7@", 7, true},
    };
    for (const Case& c : cases) {
        CItem item;
        item.m_nItemNo = c.itemNo;
        EXPECT_EQ(IsItemListed(item, SplitWaitingList(c.stored)), c.listed)
            << "item " << c.itemNo << " in '" << Narrow(c.stored) << "'";
    }
}

}  // namespace
}  // namespace tavelin
