// The restart helper's start of the program, and the titles the user is told of when items wait.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/restart_helper_start.h"
#include "install/run_notices.h"
#include "narrow_text.h"

namespace tavelin {
namespace {

TEST(RestartHelperStart, ElevationIsLeftToTheShell) {
    struct Case {
        bool created;
        unsigned long error;
        HelperStartStep step;
    };
    const Case cases[] = {
        {true, 0, HelperStartStep::Started},
        {false, 740, HelperStartStep::StartThroughShell},  // ERROR_ELEVATION_REQUIRED
        {false, 2, HelperStartStep::GiveUp},               // the program is gone
        {false, 5, HelperStartStep::GiveUp},               // access denied
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Narrow(HelperStartStepName(NextHelperStartStep(c.created, c.error))),
                  Narrow(HelperStartStepName(c.step)))
            << c.created << " " << c.error;
    }
}

TEST(RunNotices, TitlesOfTheWaitingItemsInListOrder) {
    ItemList items;
    for (int number : {4, 7, 12}) {
        items.push_back(std::make_unique<CItem>());
        items.back()->m_nItemNo = number;
        items.back()->m_strTitle = L"Title " + std::to_wstring(number);
    }
    struct Case {
        const wchar_t* list;
        std::vector<std::string> titles;
    };
    const Case cases[] = {
        {L"", {}},
        {L"12@4", {"Title 12", "Title 4"}},
        {L"7@99", {"Title 7", "Item 99"}},  // a number without an item is still named
    };
    for (const Case& c : cases) {
        std::vector<std::string> titles;
        for (const std::wstring& title : TitlesOfWaitingList(items, c.list)) titles.push_back(Narrow(title));
        EXPECT_EQ(titles, c.titles) << Narrow(c.list);
    }
    const std::wstring text = RestartNotStoredText(TitlesOfWaitingList(items, L"4@12"));
    EXPECT_NE(text.find(L"\n    Title 4\n    Title 12\n"), std::wstring::npos) << Narrow(text);
}

}  // namespace
}  // namespace tavelin
