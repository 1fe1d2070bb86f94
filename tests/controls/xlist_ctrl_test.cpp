#include "controls/xlist_ctrl.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

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

    // Holds the mouse over the middle of a cell, as the user does, until the list's tool tip shows
    // `expected`; returns what it showed last (empty: no tip). The cursor is put back whenever it is
    // reported elsewhere (tests/README.md).
    std::wstring HoverAndReadTip(int row, int column, const std::wstring& expected) {
        const RECT cell = Cell(row, column);
        const POINT point{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
        POINT screen = point;
        ClientToScreen(m_hList, &screen);
        HWND tip = m_list.ToolTipWindow();
        std::wstring shown;
        for (int i = 0; i < 500 && shown != expected; ++i) {
            POINT cursor{};
            GetCursorPos(&cursor);
            if (i == 0 || cursor.x != screen.x || cursor.y != screen.y) {
                SetCursorPos(screen.x, screen.y);
                SendMessageW(m_hList, WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            PumpMessages();
            wchar_t text[1024] = {};
            SendMessageW(tip, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
            shown = IsWindowVisible(tip) ? text : L"";
        }
        return shown;
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

TEST_F(ListTest, CheckChangesByCallOrHeaderClickDoNotNotifyTheParent) {
    AddRow(CHECK_OFF);
    AddRow(CHECK_OFF);
    m_list.SetHeaderCheck(0, HEADER_CHECK_OFF);
    struct Case {
        const char* name;
        std::function<void()> action;
    };
    const Case cases[] = {
        {"SetRowCheck on", [&] { m_list.SetRowCheck(0, CHECK_ON); }},
        {"SetRowCheck off", [&] { m_list.SetRowCheck(0, CHECK_OFF); }},
        {"SetRowCheck none", [&] { m_list.SetRowCheck(1, CHECK_NONE); }},
        {"header click", [&] { ClickHeader(0); }},
    };
    for (const Case& c : cases) {
        m_owner.notifications.clear();
        c.action();
        EXPECT_EQ(m_owner.CountNotifications(LVN_ITEMCHANGING), 0) << c.name;
        EXPECT_EQ(m_owner.CountNotifications(LVN_ITEMCHANGED), 0) << c.name;
        EXPECT_TRUE(m_owner.checkboxClicks.empty()) << c.name;
    }
    EXPECT_EQ(StateImage(0), 2) << "the header click still reached the row";
}

TEST_F(ListTest, OnlyTheListsOwnCallsFromOtherThreadsAreRun) {
    AddRow(CHECK_ON);
    std::atomic<bool> done{false};
    int check = -2;
    bool texted = false;
    std::thread worker([&] {
        check = m_list.GetRowCheck(0);
        texted = m_list.SetCellText(0, 3, L"Installing");
        done = true;
    });
    const DWORD started = GetTickCount();
    while (!done && GetTickCount() - started < 30000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpMessages();
    }
    ASSERT_TRUE(done) << "the calls from the other thread never came through";
    worker.join();
    EXPECT_EQ(check, CHECK_ON) << "read on the window's thread";
    EXPECT_TRUE(texted) << "written on the window's thread";

    // The message that carries a call is registered, so anyone can send it; a pointer the list did
    // not hand out itself must not be called.
    bool called = false;
    std::function<void()> forged = [&called] { called = true; };
    SendMessageW(m_hList, RegisterWindowMessageW(L"Tavelin.XListCtrl.OwnerThreadCall"), 0,
                 reinterpret_cast<LPARAM>(&forged));
    EXPECT_FALSE(called);
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

// The list view selects and focuses the row under a double-click by itself; a locked row (a
// running installation's) must stay as it is.
TEST_F(ListTest, DoubleClickOnADisabledRowIsDiscarded) {
    AddRow(CHECK_OFF);
    AddRow(CHECK_OFF);
    m_list.SetRowEnabled(1, false);
    for (int column : {0, 1}) {
        const RECT cell = Cell(1, column);
        const LPARAM at = MAKELPARAM(column == 0 ? cell.left + 40 : cell.left + 10, (cell.top + cell.bottom) / 2);
        SendMessageW(m_hList, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        SendMessageW(m_hList, WM_LBUTTONUP, 0, at);
        PumpMessages();
    }
    EXPECT_EQ(m_list.GetRowCheck(1), CHECK_OFF) << "no toggle";
    EXPECT_FALSE(Selected(1)) << "no selection";
    EXPECT_NE(SendMessageW(m_hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 1) << "no focus";
    EXPECT_EQ(m_owner.CountNotifications(NM_DBLCLK), 0) << "no NM_DBLCLK";
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

// Rows filled in a batch: the header box is counted once, when the outermost batch closes, and
// then agrees with the rows as if they had been filled one by one.
TEST_F(ListTest, HeaderBoxIsCountedWhenABatchCloses) {
    m_list.SetHeaderCheck(0, HEADER_CHECK_OFF);
    {
        const RowBatch outer(m_list);
        {
            const RowBatch inner(m_list);
            AddRow(CHECK_ON);
            AddRow(CHECK_ON);
        }
        EXPECT_EQ(m_list.GetHeaderCheck(0), HEADER_CHECK_OFF) << "not counted while a batch is open";
        AddRow(CHECK_ON);
    }
    EXPECT_EQ(m_list.GetHeaderCheck(0), HEADER_CHECK_ON) << "every row ticked when the batch closed";
    {
        const RowBatch batch(m_list);
        m_list.SetRowCheck(1, CHECK_OFF);
    }
    EXPECT_EQ(m_list.GetHeaderCheck(0), HEADER_CHECK_OFF);
    m_list.EndRowBatch();  // an unmatched end changes nothing
    EXPECT_EQ(m_list.GetHeaderCheck(0), HEADER_CHECK_OFF);
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

// What the tool tip is told when it asks for a cell's text, as it asks before each show.
class ToolTipTextTest : public ListTest {
protected:
    void SetUp() override {
        ListTest::SetUp();
        for (int i = 0; i < 3; ++i) AddRow(CHECK_OFF);
        m_list.EnableToolTips(true);
        m_list.SetRowTipSource([this](int row) { return row < 2 ? m_reasons[row] : std::wstring(); });
    }

    // The text handed back for the cell, in the wide or the ANSI form of the request.
    std::wstring Ask(int row, int column, bool wide = true) {
        const UINT_PTR tool = static_cast<UINT_PTR>(row * 1000 + column + 1);
        if (wide) {
            NMTTDISPINFOW info{};
            info.hdr = {m_list.ToolTipWindow(), tool, TTN_NEEDTEXTW};
            info.lpszText = info.szText;
            SendMessageW(m_hList, WM_NOTIFY, tool, reinterpret_cast<LPARAM>(&info));
            return info.lpszText != nullptr ? info.lpszText : L"<null>";
        }
        NMTTDISPINFOA info{};
        info.hdr = {m_list.ToolTipWindow(), tool, TTN_NEEDTEXTA};
        info.lpszText = info.szText;
        SendMessageW(m_hList, WM_NOTIFY, tool, reinterpret_cast<LPARAM>(&info));
        if (info.lpszText == nullptr) return L"<null>";
        wchar_t wideText[1024] = {};
        MultiByteToWideChar(CP_ACP, 0, info.lpszText, -1, wideText, 1024);
        return wideText;
    }

    std::wstring m_reasons[2] = {L"Greyed: installed, same version as on the disc", std::wstring()};
};

// A reason of two lines and some three hundred characters, far beyond the request's own buffer.
std::wstring LongReason() {
    std::wstring text = L"Offered: the installed driver 8.1.2.0 (2019-03-01) is older than the disc's 8.3.0.0";
    while (text.size() < 300) text += L" and more";
    return text + L"\nChecked because \"Power Widget\" needs it";
}

TEST_F(ToolTipTextTest, RowTipGoesOutWholeInBothForms) {
    m_reasons[1] = LongReason();
    const struct {
        int row;
        int column;
        bool wide;
        std::wstring expected;
        const char* why;
    } cases[] = {
        {0, 1, true, m_reasons[0], "a short reason"},
        {0, 3, true, m_reasons[0], "any cell of the row"},
        {1, 2, true, LongReason(), "longer than 80 characters, two lines"},
        {1, 2, false, LongReason(), "the same in the ANSI form"},
        {2, 1, true, L"", "a row whose source gives nothing: no tip"},
        {7, 1, true, L"", "a row the list does not have"},
    };
    for (const auto& c : cases) EXPECT_EQ(Ask(c.row, c.column, c.wide), c.expected) << c.why;
}

TEST_F(ToolTipTextTest, RowTipIsTheSourcesAtTheTimeOfEachRequest) {
    EXPECT_EQ(Ask(0, 1), m_reasons[0]);
    m_reasons[0] += L"\nCleared because it needs \"Power Manager\"";
    EXPECT_EQ(Ask(0, 1), m_reasons[0]) << "not the text of the first request";
}

TEST_F(ListTest, HoveringARowShowsItsTipInOneOrTwoLines) {
    AddRow(CHECK_OFF);
    AddRow(CHECK_OFF);
    m_list.SetCellText(0, 1, L"Chipset");
    m_list.SetCellText(1, 1, L"Power Widget");
    const std::wstring reasons[] = {L"Greyed: installed, same version as on the disc",
                                    L"Offered: not installed\nChecked because \"Power Manager\" needs it"};
    m_list.EnableToolTips(true);
    m_list.SetRowTipSource([&reasons](int row) { return reasons[row]; });
    HWND tip = m_list.ToolTipWindow();
    ASSERT_NE(tip, nullptr);

    EXPECT_EQ(HoverAndReadTip(0, 1, reasons[0]), reasons[0]);
    RECT oneLine{};
    GetWindowRect(tip, &oneLine);
    EXPECT_EQ(HoverAndReadTip(1, 1, reasons[1]), reasons[1]);
    RECT twoLines{};
    GetWindowRect(tip, &twoLines);
    EXPECT_GT(twoLines.bottom - twoLines.top, oneLine.bottom - oneLine.top) << "the second line shows below the first";
    // Windows breaks a tip's lines only when it has a maximum width (Wine breaks them regardless).
    EXPECT_GT(SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0), 0);
}


// ---- painting ---------------------------------------------------------------------------------

int TextWidth(HWND list, const wchar_t* text) {
    HDC dc = GetDC(list);
    SIZE size{};
    {
        SelectedObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
        GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    }
    ReleaseDC(list, dc);
    return size.cx;
}

TEST_F(ListTest, TickIsSevenStrokesInBlackOrGrey) {
    AddRow(CHECK_ON);
    AddRow(CHECK_ON);
    m_list.SetRowEnabled(1, false);
    const Screenshot shot = Shot();
    const COLORREF tick[] = {RGB(0, 0, 0), GetSysColor(COLOR_GRAYTEXT)};
    for (int row = 0; row < 2; ++row) {
        const RECT cell = Cell(row, 0);
        // The box of a cell without text, centred; the mark starts 9 px right of its edge.
        const int side = cell.bottom - 1 - cell.top;
        const int frameLeft = cell.left + (cell.right - cell.left) / 2 - side / 2 - 1 + 1;
        const int x0 = frameLeft + 9;
        const int y0 = cell.top + 3;
        const POINT strokeTops[] = {{x0, y0},         {x0 - 1, y0 + 1}, {x0 - 2, y0 + 2}, {x0 - 3, y0 + 3},
                                    {x0 - 4, y0 + 4}, {x0 - 5, y0 + 3}, {x0 - 6, y0 + 2}};
        for (int k = 0; k < 7; ++k) {
            for (int dy = 0; dy < 3; ++dy) {
                EXPECT_EQ(shot.At(strokeTops[k].x, strokeTops[k].y + dy), tick[row])
                    << "row " << row << " stroke " << k << " pixel " << dy;
            }
            // In a low row the box's inner edge runs under the end of a stroke, so only the tick's
            // colour is ruled out there.
            EXPECT_NE(shot.At(strokeTops[k].x, strokeTops[k].y + 3), tick[row])
                << "row " << row << " stroke " << k << " ends after three pixels";
        }
        EXPECT_EQ(shot.At(x0 + 1, y0 + 1), GetSysColor(COLOR_WINDOW)) << "row " << row << " box interior";
        EXPECT_EQ(shot.At(frameLeft, y0), GetSysColor(COLOR_BTNSHADOW)) << "row " << row << " sunken left edge";
    }
}

TEST_F(ListTest, BoxIsCentredWithoutTextAndNinePixelsInWithText) {
    AddRow(CHECK_OFF);
    AddRow(CHECK_OFF);
    m_list.SetCellText(1, 0, L"ab");
    const Screenshot shot = Shot();
    const COLORREF edge = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    struct Case {
        const char* name;
        int row;
        int squareLeft;  // filled with the window colour; the sunken edge starts one pixel right
    };
    const RECT first = Cell(0, 0);
    const int side = first.bottom - 1 - first.top;
    const Case cases[] = {
        {"without text: centred", 0, first.left + (first.right - first.left) / 2 - side / 2 - 1},
        {"with text: 9 px in", 1, Cell(1, 0).left + 9},
    };
    for (const Case& c : cases) {
        const int y = Cell(c.row, 0).top + 4;
        EXPECT_EQ(shot.At(c.squareLeft + 1, y), edge) << c.name;
        EXPECT_EQ(shot.At(c.squareLeft, y), window) << c.name;
    }
    // The text starts 4 pixels right of the box's square, give or take the first glyph's bearing.
    const int textStart = cases[1].squareLeft + side + 4;
    const RECT beside{cases[1].squareLeft + side + 1, Cell(1, 0).top, Cell(1, 0).right, Cell(1, 0).bottom};
    const RECT ink = shot.Extent(beside, Dark());
    EXPECT_GE(ink.left, textStart) << "text beside the box";
    EXPECT_LE(ink.left, textStart + 2) << "text beside the box";
}

TEST_F(ListTest, ProgressBarFrameFillAndText) {
    for (int i = 0; i < 5; ++i) AddRow(CHECK_OFF);
    struct Case {
        const char* name;
        const wchar_t* format;
        int percent;
        const wchar_t* shown;  // nullptr: no text
    };
    const Case cases[] = {
        {"0 percent: empty bar, no text", nullptr, 0, nullptr},
        {"default format", nullptr, 1, L"1%"},
        {"default format at 37", L"", 37, L"37%"},
        {"format without placeholder", L"Installing", 1, L"Installing"},
        {"100 percent: text in the background colour", nullptr, 100, L"100%"},
    };
    for (int row = 0; row < 5; ++row) {
        m_list.SetCellText(row, 3, L"1.0.0.0");
        m_list.StartRowProgress(row, cases[row].format);
        m_list.SetRowProgress(row, cases[row].percent);
    }
    const Screenshot shot = Shot();
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF trough = RGB(224, 224, 224);
    for (int row = 0; row < 5; ++row) {
        const Case& c = cases[row];
        const RECT cell = Cell(row, 3);
        const RECT bar{cell.left + 1, cell.top, cell.right - 2, cell.bottom - 1};
        const int midY = (bar.top + bar.bottom) / 2;
        EXPECT_EQ(shot.At(bar.left, midY), shadow) << c.name << ": left frame";
        EXPECT_EQ(shot.At(bar.right, midY), shadow) << c.name << ": right frame";
        EXPECT_EQ(shot.At(bar.right, bar.bottom), shadow) << c.name << ": bottom frame reaches right + 1";
        EXPECT_EQ(shot.At(bar.left + 1, midY), RGB(0, 0, 0)) << c.name << ": inner shadow";
        const RECT inside{bar.left + 2, bar.top + 2, bar.right, bar.bottom};
        const int fillRight = inside.left + (bar.right - inside.left) * c.percent / 100;
        const RECT fill{inside.left, inside.top, fillRight, inside.bottom};
        const RECT rest{fillRight + 1, inside.top, inside.right, inside.bottom};
        if (c.shown == nullptr) {
            EXPECT_EQ(shot.Count(inside, Exactly(trough)), (inside.right - inside.left) * (inside.bottom - inside.top))
                << c.name;
            continue;
        }
        EXPECT_EQ(shot.At(fill.left, fill.bottom - 1), GetSysColor(COLOR_HIGHLIGHT)) << c.name << ": fill";
        if (c.percent == 100) {
            EXPECT_GT(shot.Count(fill, Exactly(GetSysColor(COLOR_WINDOW))), 0) << c.name;
            EXPECT_EQ(shot.Count(fill, Dark()), 0) << c.name;
            continue;
        }
        EXPECT_EQ(shot.At(inside.right - 1, inside.top), trough) << c.name << ": trough beyond the fill";
        const RECT ink = shot.Extent(rest, Dark());
        EXPECT_NEAR(ink.right - ink.left, TextWidth(m_hList, c.shown), 3) << c.name;
        EXPECT_NEAR((ink.left + ink.right) / 2, (bar.left + 1 + bar.right - 1) / 2, 3) << c.name << ": centred";
    }
}

TEST_F(ListTest, StoppedProgressShowsTheCellTextAgain) {
    AddRow(CHECK_OFF);
    m_list.SetCellText(0, 3, L"Done");
    m_list.StartRowProgress(0, L"Installing");
    m_list.SetRowProgress(0, 50);
    m_list.StopRowProgress(0);
    const Screenshot shot = Shot();
    EXPECT_EQ(shot.Count(Cell(0, 3), Exactly(RGB(224, 224, 224))), 0) << "no trough left";
    EXPECT_NEAR(shot.Extent(Cell(0, 3), Dark()).right - shot.Extent(Cell(0, 3), Dark()).left,
                TextWidth(m_hList, L"Done"), 3);
}

TEST_F(ListTest, EmptyListShowsItsMessageBelowTheHeader) {
    m_list.SetEmptyMessage(L"Nothing left to install.");
    const Screenshot shot = Shot();
    RECT header{};
    SendMessageW(m_list.Header().Window(), HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&header));
    RECT client;
    GetClientRect(m_hList, &client);
    const RECT gap{0, header.bottom, client.right, header.bottom + 10};
    EXPECT_EQ(shot.Count(gap, Dark()), 0) << "10 pixels free below the header";
    const RECT below{0, header.bottom + 10, client.right, header.bottom + 40};
    const RECT ink = shot.Extent(below, Dark());
    ASSERT_GT(ink.right, ink.left) << "message painted";
    EXPECT_NEAR((ink.left + ink.right) / 2, client.right / 2, 3) << "centred";
    EXPECT_LE(ink.top, header.bottom + 10 + 4) << "top-aligned";

    AddRow(CHECK_OFF);
    EXPECT_EQ(Shot().Count(below, Dark()), 0) << "no message once a row exists";
}

// A row filled in one call is the row the calls one by one make: texts, check state, the state
// image others read, and every painted pixel. Texts beyond the last column are left out.
TEST_F(ListTest, AFilledRowIsTheRowTheSingleCallsMake) {
    struct Case {
        const char* name;
        int check;
        bool grey;
        COLORREF back;
    };
    const Case cases[] = {
        {"checked, yellow", CHECK_ON, false, RGB(255, 255, 0)},
        {"clear, greyed", CHECK_OFF, true, RGB(255, 255, 0)},
        {"no box", CHECK_NONE, false, GetSysColor(COLOR_WINDOW)},
    };
    const std::vector<std::wstring> texts = {L"Audio Driver", L"Driver", L"5.10.0.5345", L"beyond the columns"};
    for (const Case& c : cases) {
        const int single = m_list.InsertRow(m_list.RowCount(), RGB(0, 0, 255), c.back);
        m_list.SetRowCheck(single, c.check);
        for (int column = 1; column < 4; ++column) {
            if (c.grey) {
                m_list.SetCellTextGrey(single, column, texts[column - 1].c_str());
            } else {
                m_list.SetCellText(single, column, texts[column - 1]);
            }
        }
        FilledRow content;
        content.check = c.check;
        content.text = RGB(0, 0, 255);
        content.back = c.back;
        content.texts = texts;
        content.grey = c.grey;
        EXPECT_EQ(m_list.InsertFilledRow(m_list.RowCount(), content), single + 1) << c.name;
    }
    ASSERT_EQ(m_list.RowCount(), 6);
    const Screenshot shot = Shot();
    for (int pair = 0; pair < 3; ++pair) {
        const int single = pair * 2;
        const int filled = single + 1;
        const char* name = cases[pair].name;
        EXPECT_EQ(m_list.GetRowCheck(filled), m_list.GetRowCheck(single)) << name;
        EXPECT_EQ(SendMessageW(m_hList, LVM_GETITEMSTATE, filled, LVIS_STATEIMAGEMASK),
                  SendMessageW(m_hList, LVM_GETITEMSTATE, single, LVIS_STATEIMAGEMASK))
            << name;
        for (int column = 0; column < 4; ++column) {
            wchar_t a[64] = {}, b[64] = {};
            LVITEMW item{};
            item.iSubItem = column;
            item.cchTextMax = 64;
            item.pszText = a;
            SendMessageW(m_hList, LVM_GETITEMTEXTW, single, reinterpret_cast<LPARAM>(&item));
            item.pszText = b;
            SendMessageW(m_hList, LVM_GETITEMTEXTW, filled, reinterpret_cast<LPARAM>(&item));
            EXPECT_STREQ(b, a) << name << ", column " << column;
            const RECT top = Cell(single, column);
            const RECT bottom = Cell(filled, column);
            int differing = 0;
            for (int y = 0; y < top.bottom - top.top; ++y) {
                for (int x = top.left; x < top.right; ++x) {
                    differing += shot.At(x, top.top + y) != shot.At(x, bottom.top + y) ? 1 : 0;
                }
            }
            EXPECT_EQ(differing, 0) << name << ", column " << column << ": pixels that differ";
        }
    }
}

// Outside a batch a filled row recounts the header box at once, as SetRowCheck does.
TEST_F(ListTest, AFilledRowOutsideABatchRecountsTheHeaderBox) {
    m_list.SetHeaderCheck(0, HEADER_CHECK_OFF);
    FilledRow checked;
    checked.check = CHECK_ON;
    m_list.InsertFilledRow(0, checked);
    EXPECT_EQ(m_list.GetHeaderCheck(0), HEADER_CHECK_ON);
    FilledRow clear;
    clear.check = CHECK_OFF;
    m_list.InsertFilledRow(1, clear);
    EXPECT_EQ(m_list.GetHeaderCheck(0), HEADER_CHECK_OFF);
}

TEST_F(ListTest, CellColoursGreyTextAndBold) {
    m_list.InsertRow(0, RGB(0, 0, 255), RGB(255, 255, 0));
    for (int row = 1; row < 4; ++row) AddRow(CHECK_OFF);
    // A yellow row whose first cell is greyed: greying gives the cell its own white background.
    m_list.InsertRow(4, RGB(0, 0, 255), RGB(255, 255, 0));
    m_list.SetCellTextGrey(4, 0, L"Installed");
    for (int row = 1; row < 4; ++row) m_list.SetCellText(row, 1, L"Driver package");
    m_list.SetRowEnabled(2, false);
    m_list.SetCellTextGrey(3, 2, L"Installed");
    m_list.SetCellText(1, 3, L"Done");
    m_list.SetCellText(2, 3, L"Done");
    m_list.SetCellBold(1, 3);
    const Screenshot shot = Shot();

    const RECT first = Cell(0, 0);
    EXPECT_EQ(shot.At(first.left + 3, (first.top + first.bottom) / 2), RGB(255, 255, 0)) << "row colours";
    EXPECT_GT(shot.Count(Cell(1, 1), Dark()), 0) << "enabled text";
    EXPECT_EQ(shot.Count(Cell(2, 1), Dark()), 0) << "disabled row: no dark text";
    EXPECT_GT(shot.Count(Cell(2, 1), Exactly(GetSysColor(COLOR_GRAYTEXT))), 0) << "disabled row: grey text";
    EXPECT_GT(shot.Count(Cell(3, 2), Exactly(RGB(190, 190, 190))), 0) << "greyed cell text";
    EXPECT_EQ(shot.At(Cell(4, 0).left + 1, Cell(4, 0).top + 1), RGB(255, 255, 255)) << "greyed cell background";
    EXPECT_GT(shot.Count(Cell(4, 0), Exactly(RGB(190, 190, 190))), 0) << "greyed first cell text";
    auto nonBack = [](COLORREF c) { return c != GetSysColor(COLOR_WINDOW); };
    const int bold = shot.Count(Cell(1, 3), nonBack);
    const int normal = shot.Count(Cell(2, 3), nonBack);
    EXPECT_GT(bold, normal + normal / 10) << "bold " << bold << " against normal " << normal;
    const RECT boldInk = shot.Extent(Cell(1, 3), nonBack);
    EXPECT_NEAR((boldInk.left + boldInk.right) / 2, (Cell(1, 3).left + Cell(1, 3).right) / 2, 3)
        << "centred column, centred text";
}

TEST_F(ListTest, LongTextEndsInAnEllipsis) {
    AddRow(CHECK_OFF);
    const wchar_t* longText = L"An extremely long driver name that cannot fit in this column";
    m_list.SetCellText(0, 1, longText);
    const Screenshot shot = Shot();
    const RECT cell = Cell(0, 1);
    const RECT ink = shot.Extent(cell, Dark());
    EXPECT_LT(ink.right, cell.right) << "clipped inside the cell";
    EXPECT_LT(TextWidth(m_hList, longText), 2 * (cell.right - cell.left)) << "fixture: the text is long, not huge";
    // The ellipsis ends the text with three dots: the last ink column is a lone dot, two pixels at most high.
    const RECT lastColumn{ink.right - 1, cell.top, ink.right, cell.bottom};
    EXPECT_LE(shot.Count(lastColumn, Dark()), 2);
}

TEST_F(ListTest, SelectionColoursOnlyWithFocus) {
    AddRow(CHECK_OFF);
    m_list.SetCellText(0, 1, L"Name");
    m_list.StartRowProgress(0, nullptr);
    m_list.SetRowProgress(0, 37);
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    SendMessageW(m_hList, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    const RECT name = Cell(0, 1);
    const RECT progress = Cell(0, 3);

    SetFocus(m_hList);
    Screenshot shot = Shot();
    EXPECT_EQ(shot.At(name.right - 3, name.top + 3), GetSysColor(COLOR_HIGHLIGHT)) << "focused";
    // A bar partly done, so that its text shows: the trough and the dark text beyond the fill stay.
    EXPECT_EQ(shot.At(progress.right - 5, progress.top + 4), RGB(224, 224, 224)) << "progress keeps its trough";
    const RECT rest{(progress.left + progress.right) / 2 - 20, progress.top, progress.right - 3, progress.bottom - 1};
    EXPECT_GT(shot.Count(rest, Dark()), 0) << "progress keeps its text colour";

    SetFocus(m_owner.Window());
    shot = Shot();
    EXPECT_EQ(shot.At(name.right - 3, name.top + 3), GetSysColor(COLOR_WINDOW)) << "not focused";
}

}  // namespace
}  // namespace tavelin
