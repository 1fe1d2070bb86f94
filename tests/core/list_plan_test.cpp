#include "evaluate/list_plan.h"

#include <gtest/gtest.h>

namespace tavelin {
namespace {

const ItemTypeTexts kTexts{L"Driver", L"Recommend Application", L"Optional Application", L"HotFix"};

struct Flags {
    int number;
    int type;
    bool hw, version, os, language;
};

ItemList Items(std::initializer_list<Flags> flags) {
    ItemList items;
    for (const auto& f : flags) {
        auto item = std::make_unique<CItem>();
        item->m_nItemNo = f.number;
        item->m_nType = f.type;
        item->m_strTitle = L"Item " + std::to_wstring(f.number);
        item->m_strDisplayVersion = L"v" + std::to_wstring(f.number);
        item->m_bHwFound = f.hw;
        item->m_bVersionResult = f.version;
        item->m_bOSMatched = f.os;
        item->m_bLanguageMatched = f.language;
        items.push_back(std::move(item));
    }
    return items;
}

// "n" for an offered row, "n*" when checked, "(n)" for an installed row.
std::string Describe(const std::vector<PlannedRow>& rows) {
    std::string text;
    for (const auto& row : rows) {
        std::string cell = std::to_string(row.item->m_nItemNo);
        if (row.installedRow) cell = "(" + cell + ")";
        if (row.checked) cell += "*";
        text += (text.empty() ? "" : " ") + cell;
    }
    return text;
}

TEST(PlanItemList, ViewsAndDefaultChecks) {
    const ItemList items = Items({
        {1, ITEM_TYPE_DRIVER, true, true, true, true},            // offered
        {2, ITEM_TYPE_RECOMMENDED_APP, true, false, true, true},  // installed
        {3, ITEM_TYPE_OPTIONAL_APP, false, true, true, true},     // hardware absent or hidden
        {4, ITEM_TYPE_HOTFIX, true, true, false, true},           // other operating system
        {5, ITEM_TYPE_DRIVER, true, true, true, false},           // other language
        {6, ITEM_TYPE_UNKNOWN, true, true, true, true},           // unknown type: never a row
        {7, ITEM_TYPE_HOTFIX, true, true, true, true},            // offered
        {8, ITEM_TYPE_OPTIONAL_APP, true, false, true, true},     // installed
    });
    struct Case {
        const char* name;
        ListPopulationInput input;
        const char* expected;
    };
    const Case cases[] = {
        {"recommended view", {false, false, {}}, "1* 7*"},
        {"advanced view", {true, false, {}}, "1* (2) 7* (8)"},
        {"resume, recommended", {false, true, {L"7", L"2"}}, "1 7*"},
        {"resume, advanced: stored installed rows are checked too", {true, true, {L"2", L"7"}}, "1 (2)* 7* (8)"},
        {"resume with an empty list", {true, true, {}}, "1 (2) 7 (8)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Describe(PlanItemList(items, c.input, kTexts)), c.expected) << c.name;
    }
}

TEST(PlanItemList, RowTexts) {
    const ItemList items = Items({
        {1, ITEM_TYPE_DRIVER, true, true, true, true},
        {2, ITEM_TYPE_RECOMMENDED_APP, true, false, true, true},
        {3, ITEM_TYPE_OPTIONAL_APP, true, true, true, true},
        {4, ITEM_TYPE_HOTFIX, true, true, true, true},
    });
    const auto rows = PlanItemList(items, {true, false, {}}, kTexts);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].typeText, L"Driver");
    EXPECT_EQ(rows[0].versionText, L"v1");
    EXPECT_EQ(rows[1].typeText, L"Recommend Application");
    EXPECT_EQ(rows[1].versionText, L"Installed");
    EXPECT_EQ(rows[2].typeText, L"Optional Application");
    EXPECT_EQ(rows[3].typeText, L"HotFix");
    EXPECT_EQ(rows[3].title, L"Item 4");
}

TEST(ChosenByAllItems, ChecksWhatIsToBeInstalledOrMissing) {
    struct Case {
        const char* name;
        bool installed;
        bool toInstall;
        bool chosen;
    };
    const Case cases[] = {
        {"missing", false, true, true},
        {"installed but older than the disc's", true, true, true},
        {"installed and current", true, false, false},
        {"installed state unknown, no newer version", false, false, true},
    };
    for (const Case& c : cases) {
        CItem item;
        item.m_bInstalled = c.installed;
        item.m_bVersionResult = c.toInstall;
        EXPECT_EQ(ChosenByAllItems(item), c.chosen) << c.name;
    }
}

TEST(IsItemListed, ComparesTheNumberAsText) {
    const ItemList items = Items({{12, ITEM_TYPE_DRIVER, true, true, true, true}});
    EXPECT_TRUE(IsItemListed(*items[0], {L"4", L"12"}));
    EXPECT_FALSE(IsItemListed(*items[0], {L"1", L"2", L"012"}));
    EXPECT_FALSE(IsItemListed(*items[0], {}));
}

TEST(ItemStatusText, WritesEachFlagAsTrueOrFalse) {
    ItemList items = Items({{3, ITEM_TYPE_DRIVER, true, false, true, false}});
    EXPECT_EQ(ItemStatusText(*items[0]),
              L"Item Name : Item 3\n"
              L"Device Exist status : True\n"
              L"Appropriate OS_Version status : True\n"
              L"Appropriate Language_ID status : False\n"
              L"Ini Newer Version status : False\n");
}

}  // namespace
}  // namespace tavelin
