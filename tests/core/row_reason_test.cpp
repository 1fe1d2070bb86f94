#include "evaluate/row_reason.h"

#include <gtest/gtest.h>

#include "evaluate/dependence_propagation.h"

namespace tavelin {
namespace {

ItemList ItemsWithRows(std::initializer_list<std::pair<int, int>> numberAndRow) {
    ItemList items;
    for (const auto& [number, row] : numberAndRow) {
        auto item = std::make_unique<CItem>();
        item->m_nItemNo = number;
        item->m_nListRow = row;
        items.push_back(std::move(item));
    }
    return items;
}

constexpr int kUnknownCheck = -1;

// Item 1 greyed on row 1, item 2 left out (no row), item 3 offered on row 0, item 4 on row 2
// without a record.
struct Fixture {
    ItemList items = ItemsWithRows({{1, 1}, {2, -1}, {3, 0}, {4, 2}});
    DecisionBook book;

    Fixture() {
        DecisionRecord& greyed = book.For(1);
        greyed.type = ITEM_TYPE_OPTIONAL_APP;
        greyed.applies = true;
        DecisionRecord& excluded = book.For(2);
        excluded.exclusion = ExclusionRule::Language;
        excluded.languages = {L"JPN"};
        excluded.languageTag = L"ENG";
        DecisionRecord& offered = book.For(3);
        offered.type = ITEM_TYPE_RECOMMENDED_APP;
        offered.applies = true;
        offered.offered = true;
        offered.application = ApplicationFinding{};
        offered.application->lookup = ApplicationLookup::VersionValue;
        offered.application->keyPath = L"SOFTWARE\\Maker\\Power";
    }

    // The propagation's record of a box it set on item 1's row because of item 3.
    void DependenceSetsItemOne(bool checked) {
        DependenceChange change;
        change.itemNo = 1;
        change.finding = {3, L"Power Manager", checked};
        RecordDependences({change}, book);
    }
};

TEST(RowReason, EachRowGivesTheReasonOfTheItemItShows) {
    const Fixture fixture;
    const ReasonTexts english;
    const struct {
        int row;
        const wchar_t* expected;
        const char* why;
    } cases[] = {
        {0, L"Offered: not installed (SOFTWARE\\Maker\\Power is not in the registry)",
         "the third item: rows are found through the items, not by position"},
        {1, L"Greyed: nothing on the disc is newer", "the first item"},
        {2, L"", "an item without a record"},
        {3, L"", "a row no item has"},
        {-1, L"", "not the reason of an item without a row"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RowReason(fixture.items, fixture.book, c.row, kUnknownCheck, english), c.expected) << c.why;
    }
}

TEST(RowReason, TakesTheRecordAsItIsNowInTheTextsGiven) {
    Fixture fixture;
    ReasonTexts translated;
    translated.Set(ReasonText::GreyedNothingToInstall, L"Grau: nichts Neueres auf der Disc");
    EXPECT_EQ(RowReason(fixture.items, fixture.book, 1, 1, translated), L"Grau: nichts Neueres auf der Disc");

    // A dependence recorded after the list was filled shows as the second line at the next call.
    fixture.DependenceSetsItemOne(true);
    EXPECT_EQ(RowReason(fixture.items, fixture.book, 1, 1, translated),
              L"Grau: nichts Neueres auf der Disc\nChecked because \"Power Manager\" needs it");
}

TEST(RowReason, DependenceExplainsTheBoxOnlyWhileTheBoxShowsWhatItSet) {
    const std::wstring first = L"Greyed: nothing on the disc is newer";
    const std::wstring checkedLine = L"\nChecked because \"Power Manager\" needs it";
    const std::wstring clearedLine = L"\nCleared because it needs \"Power Manager\"";
    const struct {
        bool setChecked;
        int rowCheck;
        std::wstring expected;
        const char* why;
    } cases[] = {
        {true, 1, first + checkedLine, "checked by the dependence, still checked"},
        {true, 0, first, "checked by the dependence, cleared by the user since"},
        {false, 0, first + clearedLine, "cleared by the dependence, still clear"},
        {false, 1, first, "cleared by the dependence, checked by the user since"},
        {false, kUnknownCheck, first + clearedLine, "a box that cannot be read changes nothing"},
    };
    const ReasonTexts english;
    for (const auto& c : cases) {
        Fixture fixture;
        fixture.DependenceSetsItemOne(!c.setChecked);  // only the last one counts
        fixture.DependenceSetsItemOne(c.setChecked);
        EXPECT_EQ(RowReason(fixture.items, fixture.book, 1, c.rowCheck, english), c.expected) << c.why;
    }
}

}  // namespace
}  // namespace tavelin
