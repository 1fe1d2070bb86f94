#include "evaluate/dependence_propagation.h"

#include <gtest/gtest.h>

#include <map>

namespace tavelin {
namespace {

class FakeRows : public CheckRows {
public:
    int GetRowCheck(int row) override { return checks.count(row) ? checks[row] : -1; }
    void SetRowCheck(int row, int state) override {
        checks[row] = state;
        ++writes;
    }
    std::map<int, int> checks;
    int writes = 0;
};

struct Node {
    int number;
    int row;  // -1: not listed
    std::vector<std::uint32_t> dependence;
    bool installed = false;
    bool toInstall = true;
};

ItemList Items(std::initializer_list<Node> nodes) {
    ItemList items;
    for (const auto& n : nodes) {
        auto item = std::make_unique<CItem>();
        item->m_nItemNo = n.number;
        item->m_nListRow = n.row;
        item->m_arrDependence = n.dependence;
        item->m_bInstalled = n.installed;
        item->m_bVersionResult = n.toInstall;
        items.push_back(std::move(item));
    }
    return items;
}

std::string Checks(const FakeRows& rows) {
    std::string text;
    for (const auto& [row, state] : rows.checks) text += std::to_string(row) + "=" + std::to_string(state) + " ";
    return text;
}

TEST(ApplyDependences, CheckingPullsInWhatTheItemNeedsTransitively) {
    // 1 needs 2 and 3; 3 needs 4; 2 is installed and current (kept), but its own need 5 is visited.
    const ItemList items = Items({
        {1, 0, {2, 3}},
        {2, 1, {5}, true, false},
        {3, 2, {4}},
        {4, 3, {}},
        {5, 4, {}},
        {6, 5, {}},
    });
    FakeRows rows;
    rows.checks = {{0, 1}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}};
    ApplyDependences(items, rows, 0);
    EXPECT_EQ(Checks(rows), "0=1 1=0 2=1 3=1 4=1 5=0 ");
}

TEST(ApplyDependences, ClearingClearsEveryShownItemThatDependsOnIt) {
    // 2 and 3 need 1; 4 needs 3; 5 needs 1 but has no row; 6 is unrelated.
    const ItemList items = Items({
        {1, 0, {}},
        {2, 1, {1}},
        {3, 2, {7, 1}},
        {4, 3, {3}},
        {5, -1, {1}},
        {6, 4, {}},
    });
    FakeRows rows;
    rows.checks = {{0, 0}, {1, 1}, {2, 1}, {3, 1}, {4, 1}};
    ApplyDependences(items, rows, 0);
    EXPECT_EQ(Checks(rows), "0=0 1=0 2=0 3=0 4=1 ");
}

TEST(ApplyDependences, WhatIsInstalledButOlderIsCheckedWithTheItemThatNeedsIt) {
    // 1 needs 2, 3 and 4: 2 is installed but older than the disc's copy, 3 installed and current,
    // 4 not installed.
    const ItemList items = Items({
        {1, 0, {2, 3, 4}},
        {2, 1, {}, true, true},
        {3, 2, {}, true, false},
        {4, 3, {}, false, true},
    });
    FakeRows rows;
    rows.checks = {{0, 1}, {1, 0}, {2, 0}, {3, 0}};
    ApplyDependences(items, rows, 0);
    EXPECT_EQ(Checks(rows), "0=1 1=1 2=0 3=1 ");
}

TEST(ApplyDependences, AnUnreadableStateCountsAsCheckedAndChecksWhatItNeeds) {
    // The installation run installs a row whose state it cannot read, so what that item needs is
    // checked as for a checked row, with a readable check mark; nothing that depends on it is cleared.
    const ItemList items = Items({
        {1, 0, {2}},
        {2, 1, {}},
        {3, 2, {1}},
    });
    FakeRows rows;
    rows.checks = {{0, -1}, {1, 0}, {2, 1}};
    const std::vector<DependenceChange> changes = ApplyDependences(items, rows, 0);
    EXPECT_EQ(Checks(rows), "0=-1 1=1 2=1 ");
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_TRUE(changes[0].finding.checked);
}

TEST(ApplyDependences, CyclesEndAndNoSelectionDoesNothing) {
    const ItemList items = Items({
        {1, 0, {2}},
        {2, 1, {3}},
        {3, 2, {1}},
    });
    FakeRows rows;
    rows.checks = {{0, 1}, {1, 0}, {2, 0}};
    ApplyDependences(items, rows, 0);
    EXPECT_EQ(Checks(rows), "0=1 1=1 2=1 ");

    rows.checks[1] = 0;
    ApplyDependences(items, rows, 1);  // clearing around the cycle ends too
    EXPECT_EQ(Checks(rows), "0=0 1=0 2=0 ");

    const int writes = rows.writes;
    ApplyDependences(items, rows, -1);
    EXPECT_EQ(rows.writes, writes);
}

TEST(ApplyDependences, NumbersNamingNoItemAreSkipped) {
    const ItemList items = Items({{1, 0, {0, 99, 2}}, {2, 1, {}}});
    FakeRows rows;
    rows.checks = {{0, 1}, {1, 0}};
    ApplyDependences(items, rows, 0);
    EXPECT_EQ(Checks(rows), "0=1 1=1 ");
}

}  // namespace
}  // namespace tavelin
