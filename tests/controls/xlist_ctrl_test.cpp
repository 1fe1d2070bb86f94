#include "controls/xlist_ctrl.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "controls_test_support.h"

namespace tavelin {
namespace {

using test::Dark;
using test::Exactly;
using test::PumpMessages;
using test::Screenshot;
using test::TestOwner;

struct Column {
    const wchar_t* caption;
    int width;
    int format;
};
// The main list's columns: box, name, type and version (the progress column).
const Column kColumns[] = {
    {L"Select All", 80, LVCFMT_LEFT},
    {L"Name", 150, LVCFMT_LEFT},
    {L"Type", 120, LVCFMT_CENTER},
    {L"Version", 120, LVCFMT_CENTER},
};

class ListTest : public ::testing::Test {
protected:
    void SetUp() override { Build(4); }

    void Build(int columns) {
        m_hList = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT, 10, 10, 560,
                                  300, m_owner.Window(), reinterpret_cast<HMENU>(1007), GetModuleHandleW(nullptr),
                                  nullptr);
        SendMessageW(m_hList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
        for (int i = 0; i < columns; ++i) {
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            column.pszText = const_cast<wchar_t*>(kColumns[i].caption);
            column.cx = kColumns[i].width;
            column.fmt = kColumns[i].format;
            SendMessageW(m_hList, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
        }
        ASSERT_TRUE(m_list.Attach(m_hList));
        m_owner.ForwardNotifyTo(&m_list);
    }

    int AddRow(int check) {
        const int row = m_list.InsertRow(m_list.RowCount(), GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOW));
        m_list.SetRowCheck(row, check);
        return row;
    }

    RECT Cell(int row, int column) const {
        RECT cell{};
        m_list.GetCellRect(row, column, LVIR_BOUNDS, cell);
        return cell;
    }

    void Click(POINT point) {
        SendMessageW(m_hList, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
        SendMessageW(m_hList, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
        PumpMessages();
    }
    void ClickCell(int row, int column, int dx) {
        const RECT cell = Cell(row, column);
        Click({dx >= 0 ? cell.left + dx : cell.right + dx, (cell.top + cell.bottom) / 2});
    }

    void ClickHeader(int column) {
        HWND header = m_list.Header().Window();
        RECT item{};
        SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&item));
        const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(header, WM_LBUTTONUP, 0, at);
        PumpMessages();
    }

    int StateImage(int row) const {
        return static_cast<int>((SendMessageW(m_hList, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >> 12);
    }
    bool Selected(int row) const {
        return (SendMessageW(m_hList, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    }

    Screenshot Shot() {
        RedrawWindow(m_hList, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        PumpMessages();
        return Screenshot(m_hList);
    }

    TestOwner m_owner;
    CXListCtrl m_list;
    HWND m_hList = nullptr;
};

// ---- operations and their validity rules ------------------------------------------------------

TEST_F(ListTest, OperationsCheckRowsAndColumns) {
    AddRow(CHECK_OFF);
    AddRow(CHECK_ON);
    struct Case {
        const char* name;
        std::function<int()> call;
        int expected;
    };
    CXListCtrl& l = m_list;
    const Case cases[] = {
        {"InsertRow at -1", [&] { return l.InsertRow(-1, 0, 0); }, -1},
        {"SetCellText row 2", [&] { return int(l.SetCellText(2, 1, L"x")); }, 0},
        {"SetCellText row -1", [&] { return int(l.SetCellText(-1, 1, L"x")); }, 0},
        {"SetCellText column 4", [&] { return int(l.SetCellText(0, 4, L"x")); }, 0},
        {"SetCellText valid", [&] { return int(l.SetCellText(1, 1, L"x")); }, 1},
        {"SetCellTextGrey row 2", [&] { return int(l.SetCellTextGrey(2, 1)); }, 0},
        {"SetCellTextGrey column -1", [&] { return int(l.SetCellTextGrey(0, -1, L"x")); }, 0},
        {"SetCellTextGrey without text", [&] { return int(l.SetCellTextGrey(0, 2)); }, 1},
        {"SetRowCheck row 2", [&] { return int(l.SetRowCheck(2, CHECK_ON)); }, 0},
        {"SetRowCheck row -1", [&] { return int(l.SetRowCheck(-1, CHECK_ON)); }, 0},
        {"GetRowCheck row 2", [&] { return l.GetRowCheck(2); }, -1},
        {"GetRowCheck row 1", [&] { return l.GetRowCheck(1); }, CHECK_ON},
        {"StartRowProgress row 2", [&] { return int(l.StartRowProgress(2, nullptr)); }, 0},
        {"SetRowProgress row -1", [&] { return int(l.SetRowProgress(-1, 5)); }, 0},
        {"StopRowProgress row 9", [&] { return int(l.StopRowProgress(9)); }, 0},
        {"SetCellBold column 4", [&] { return int(l.SetCellBold(0, 4)); }, 0},
        {"SetCellBold row 2", [&] { return int(l.SetCellBold(2, 0)); }, 0},
        {"CountCheckedRows column 4", [&] { return l.CountCheckedRows(4); }, 0},
        {"CountCheckedRows column -1", [&] { return l.CountCheckedRows(-1); }, 0},
        {"GetHeaderCheck column 4", [&] { return l.GetHeaderCheck(4); }, -1},
        {"GetHeaderCheck column 0 without box", [&] { return l.GetHeaderCheck(0); }, HEADER_CHECK_NONE},
        {"SetHeaderCheck column 4", [&] { return int(l.SetHeaderCheck(4, HEADER_CHECK_ON)); }, 0},
        {"SetHeaderCheck column -1", [&] { return int(l.SetHeaderCheck(-1, HEADER_CHECK_ON)); }, 0},
        {"GetCellRect row 2", [&] { RECT r; return int(l.GetCellRect(2, 0, LVIR_BOUNDS, r)); }, 0},
        {"GetCellRect column 4", [&] { RECT r; return int(l.GetCellRect(0, 4, LVIR_BOUNDS, r)); }, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.call(), c.expected) << c.name;
    EXPECT_EQ(m_list.RowCount(), 2) << "no operation may add or remove rows";
}

TEST_F(ListTest, ProgressOperationsNeedAFourthColumn) {
    m_list.Detach();
    DestroyWindow(m_hList);
    Build(3);
    AddRow(CHECK_OFF);
    EXPECT_FALSE(m_list.StartRowProgress(0, L"Installing")) << "StartRowProgress";
    EXPECT_FALSE(m_list.SetRowProgress(0, 10)) << "SetRowProgress";
    EXPECT_FALSE(m_list.StopRowProgress(0)) << "StopRowProgress";
}

TEST_F(ListTest, InsertRowBeyondTheEndAppendsAndReturnsTheIndex) {
    EXPECT_EQ(m_list.InsertRow(0, 0, 0), 0);
    EXPECT_EQ(m_list.InsertRow(7, 0, 0), 1);
    EXPECT_EQ(m_list.InsertRow(0, 0, 0), 0);
    EXPECT_EQ(m_list.RowCount(), 3);
    EXPECT_EQ(m_list.GetRowCheck(0), CHECK_NONE) << "a new row has no check box";
}

TEST_F(ListTest, DeleteAllRowsEmptiesTheList) {
    AddRow(CHECK_ON);
    AddRow(CHECK_ON);
    m_list.DeleteAllRows();
    EXPECT_EQ(m_list.RowCount(), 0);
    EXPECT_EQ(m_list.GetRowCheck(0), -1);
    EXPECT_EQ(AddRow(CHECK_OFF), 0);
    EXPECT_EQ(m_list.GetRowCheck(0), CHECK_OFF);
}

TEST_F(ListTest, CountCheckedRowsCountsOnlyTicked) {
    AddRow(CHECK_ON);
    AddRow(CHECK_OFF);
    AddRow(CHECK_ON);
    AddRow(CHECK_NONE);
    EXPECT_EQ(m_list.CountCheckedRows(0), 2);
    EXPECT_EQ(m_list.CountCheckedRows(1), 0);
}

TEST_F(ListTest, FirstCellEndsWhereTheSecondBegins) {
    AddRow(CHECK_OFF);
    RECT second{};
    second.top = 1;
    second.left = LVIR_BOUNDS;
    SendMessageW(m_hList, LVM_GETSUBITEMRECT, 0, reinterpret_cast<LPARAM>(&second));
    RECT first{};
    ASSERT_TRUE(m_list.GetCellRect(0, 0, LVIR_BOUNDS, first));
    EXPECT_EQ(first.right, second.left);
    EXPECT_EQ(first.right - first.left, kColumns[0].width);
    EXPECT_EQ(first.top, second.top);
    EXPECT_EQ(first.bottom, second.bottom);
}

TEST_F(ListTest, CheckStateIsMirroredIntoStateImageBits) {
    AddRow(CHECK_ON);
    AddRow(CHECK_OFF);
    AddRow(CHECK_NONE);
    EXPECT_EQ(StateImage(0), 2) << "ticked";
    EXPECT_EQ(StateImage(1), 1) << "empty box";
    EXPECT_EQ(StateImage(2), 0) << "no box";
    ClickCell(1, 0, 20);
    EXPECT_EQ(StateImage(1), 2) << "after a click";
    m_list.SetHeaderCheck(0, HEADER_CHECK_ON);
    ClickHeader(0);
    EXPECT_EQ(StateImage(0), 1) << "after clearing the column";
    EXPECT_EQ(StateImage(1), 1) << "after clearing the column";
}

// ---- clicks ----------------------------------------------------------------------------------

TEST_F(ListTest, ClickAnywhereInACheckBoxCellTogglesAndTellsTheParent) {
    AddRow(CHECK_OFF);
    AddRow(CHECK_OFF);
    struct Case {
        const char* name;
        int row;
        int dx;  // from the cell's left edge, or from its right edge when negative
        int expected;
    };
    const Case cases[] = {
        {"on the box", 1, 40, CHECK_ON},
        {"again: clears", 1, 40, CHECK_OFF},
        {"right end of the cell, beside the box", 0, -2, CHECK_ON},
        {"left end of the cell", 0, 1, CHECK_OFF},
    };
    for (const Case& c : cases) {
        const size_t before = m_owner.checkboxClicks.size();
        ClickCell(c.row, 0, c.dx);
        EXPECT_EQ(m_list.GetRowCheck(c.row), c.expected) << c.name;
        ASSERT_EQ(m_owner.checkboxClicks.size(), before + 1) << c.name;
        EXPECT_EQ(m_owner.checkboxClicks.back().first, WPARAM(c.row)) << c.name;
        EXPECT_EQ(m_owner.checkboxClicks.back().second, 0) << c.name;
    }
    EXPECT_EQ(m_owner.CountNotifications(NM_CLICK), 4) << "every click is passed on";
}

TEST_F(ListTest, ClickOnACellWithoutBoxOnlySelects) {
    AddRow(CHECK_OFF);
    AddRow(CHECK_ON);
    ClickCell(1, 1, 10);
    EXPECT_EQ(m_list.GetRowCheck(1), CHECK_ON);
    EXPECT_TRUE(m_owner.checkboxClicks.empty());
    EXPECT_TRUE(Selected(1));
    EXPECT_EQ(m_owner.CountNotifications(NM_CLICK), 1);
}

TEST_F(ListTest, ClickOnADisabledRowIsDiscarded) {
    AddRow(CHECK_OFF);
    AddRow(CHECK_OFF);
    m_list.SetRowEnabled(1, false);
    ClickCell(1, 0, 40);
    ClickCell(1, 1, 10);
    EXPECT_EQ(m_list.GetRowCheck(1), CHECK_OFF) << "no toggle";
    EXPECT_FALSE(Selected(1)) << "no selection";
    EXPECT_TRUE(m_owner.checkboxClicks.empty()) << "no registered message";
    EXPECT_EQ(m_owner.CountNotifications(NM_CLICK), 0) << "no NM_CLICK";

    m_list.SetRowEnabled(1, true);
    ClickCell(1, 0, 40);
    EXPECT_EQ(m_list.GetRowCheck(1), CHECK_ON) << "enabled again";
}

// ---- the header box --------------------------------------------------------------------------

TEST_F(ListTest, HeaderBoxFollowsTheRows) {
    AddRow(CHECK_OFF);
    AddRow(CHECK_OFF);
    m_list.SetHeaderCheck(0, HEADER_CHECK_OFF);
    struct Step {
        const char* name;
        std::function<void()> action;
        int header;
    };
    const Step steps[] = {
        {"first row ticked", [&] { m_list.SetRowCheck(0, CHECK_ON); }, HEADER_CHECK_OFF},
        {"last unticked row ticked", [&] { m_list.SetRowCheck(1, CHECK_ON); }, HEADER_CHECK_ON},
        {"a row cleared by click", [&] { ClickCell(0, 0, 40); }, HEADER_CHECK_OFF},
        {"ticked again by click", [&] { ClickCell(0, 0, 40); }, HEADER_CHECK_ON},
        {"a row without box keeps it empty", [&] { AddRow(CHECK_NONE); m_list.SetRowCheck(0, CHECK_ON); },
         HEADER_CHECK_OFF},
    };
    for (const Step& s : steps) {
        s.action();
        EXPECT_EQ(m_list.GetHeaderCheck(0), s.header) << s.name;
    }
}

TEST_F(ListTest, ColumnWithoutHeaderBoxKeepsItsImage) {
    AddRow(CHECK_ON);
    m_list.SetRowCheck(0, CHECK_ON);
    EXPECT_EQ(m_list.GetHeaderCheck(0), HEADER_CHECK_NONE);
}

TEST_F(ListTest, HeaderClickSetsOrClearsEveryRowDisabledIncluded) {
    AddRow(CHECK_ON);
    AddRow(CHECK_OFF);
    AddRow(CHECK_ON);
    AddRow(CHECK_NONE);
    m_list.SetRowEnabled(2, false);
    m_list.SetHeaderCheck(0, HEADER_CHECK_OFF);

    ClickHeader(0);
    EXPECT_EQ(m_list.GetHeaderCheck(0), HEADER_CHECK_ON);
    for (int row = 0; row < 3; ++row) EXPECT_EQ(m_list.GetRowCheck(row), CHECK_ON) << "ticking, row " << row;
    EXPECT_EQ(m_list.GetRowCheck(3), CHECK_NONE) << "a row without box stays without";

    ClickHeader(0);
    EXPECT_EQ(m_list.GetHeaderCheck(0), HEADER_CHECK_OFF);
    for (int row = 0; row < 3; ++row) EXPECT_EQ(m_list.GetRowCheck(row), CHECK_OFF) << "clearing, row " << row;

    EXPECT_EQ(m_owner.CountNotifications(LVN_COLUMNCLICK), 2) << "the column click is passed on";
    EXPECT_TRUE(m_owner.checkboxClicks.empty()) << "no registered message for a header click";
}

TEST_F(ListTest, HeaderClickOnAColumnWithoutBoxDoesNothing) {
    AddRow(CHECK_OFF);
    ClickHeader(0);
    EXPECT_EQ(m_list.GetRowCheck(0), CHECK_OFF);
    EXPECT_EQ(m_list.GetHeaderCheck(0), HEADER_CHECK_NONE);
    EXPECT_EQ(m_owner.CountNotifications(LVN_COLUMNCLICK), 1);
}

// ---- tool tips ---------------------------------------------------------------------------------

TEST_F(ListTest, ToolIdsNameTheCellUnderALabel) {
    AddRow(CHECK_OFF);
    AddRow(CHECK_OFF);
    m_list.SetCellText(1, 2, L"Driver");
    const RECT cell = Cell(1, 2);
    EXPECT_EQ(m_list.ToolHitTest({(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2}), 1 * 1000 + 2 + 1);
    RECT client;
    GetClientRect(m_hList, &client);
    EXPECT_EQ(m_list.ToolHitTest({client.right - 2, client.bottom - 2}), -1) << "below the rows";
}

}  // namespace
}  // namespace tavelin
