#include "controls/xheader_ctrl.h"

#include <gtest/gtest.h>

#include "controls/xlist_ctrl.h"
#include "controls_test_support.h"
#include "resource.h"

namespace tavelin {
namespace {

using test::PumpMessages;
using test::Screenshot;
using test::TestOwner;

constexpr COLORREF kBlue = RGB(0, 0, 255);

// A list with three columns: the box column (left), a right-aligned one and a centred one, with the
// header's check-box images loaded as the list set-up loads them.
class HeaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_hList = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 600, 200,
                                  m_owner.Window(), nullptr, GetModuleHandleW(nullptr), nullptr);
        const struct {
            const wchar_t* caption;
            int width;
            int format;
        } columns[] = {{L"Select All", 120, LVCFMT_LEFT}, {L"Name", 150, LVCFMT_RIGHT}, {L"Type", 130, LVCFMT_LEFT}};
        int index = 0;
        for (const auto& c : columns) {
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            column.pszText = const_cast<wchar_t*>(c.caption);
            column.cx = c.width;
            column.fmt = c.format;
            SendMessageW(m_hList, LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&column));
        }
        ASSERT_TRUE(m_list.Attach(m_hList));
        m_owner.ForwardNotifyTo(&m_list);
        m_images = ImageList_LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_HEADER_CHECKS), 16, 3,
                                        RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION);
        ASSERT_NE(m_images, nullptr);
        SendMessageW(m_list.Header().Window(), HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_images));
    }
    void TearDown() override {
        m_list.Detach();
        if (m_hList != nullptr) DestroyWindow(m_hList);
        if (m_images != nullptr) ImageList_Destroy(m_images);
    }

    RECT Item(int column) const {
        RECT item{};
        SendMessageW(m_list.Header().Window(), HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&item));
        return item;
    }
    Screenshot Shot() {
        HWND header = m_list.Header().Window();
        RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        PumpMessages();
        return Screenshot(header);
    }

    TestOwner m_owner;
    CXListCtrl m_list;
    HWND m_hList = nullptr;
    HIMAGELIST m_images = nullptr;
};

TEST_F(HeaderTest, ListTakesOverItsHeaderAndMeasuresTheImages) {
    EXPECT_TRUE(m_list.IsHeaderSubclassed());
    EXPECT_EQ(m_list.Header().Window(), reinterpret_cast<HWND>(SendMessageW(m_hList, LVM_GETHEADER, 0, 0)));
    EXPECT_EQ(m_list.Header().ImageSize().cx, 16);
    EXPECT_EQ(m_list.Header().ImageSize().cy, 16);
}

TEST_F(HeaderTest, BoxImageSixPixelsInAndVerticallyCentred) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    struct Case {
        const char* name;
        int state;
        POINT pixel;  // in the 16 x 16 image
        COLORREF colour;
    };
    const Case cases[] = {
        {"ticked: transparent margin takes the face", HEADER_CHECK_ON, {0, 8}, face},
        {"ticked: box frame", HEADER_CHECK_ON, {1, 1}, RGB(128, 128, 128)},
        {"ticked: tick", HEADER_CHECK_ON, {4, 6}, RGB(0, 0, 0)},
        {"empty: interior", HEADER_CHECK_OFF, {4, 6}, RGB(255, 255, 255)},
        {"empty: box frame", HEADER_CHECK_OFF, {13, 13}, RGB(128, 128, 128)},
        {"no box", HEADER_CHECK_NONE, {4, 6}, face},
    };
    for (const Case& c : cases) {
        m_list.SetHeaderCheck(0, c.state);
        const Screenshot shot = Shot();
        const RECT item = Item(0);
        const int left = item.left + 6;
        const int top = (item.top + item.bottom) / 2 - 8;
        EXPECT_EQ(shot.At(left + c.pixel.x, top + c.pixel.y), c.colour) << c.name;
    }
}

TEST_F(HeaderTest, CaptionsAreBlueAndCentredWhateverTheAlignment) {
    m_list.SetHeaderCheck(0, HEADER_CHECK_OFF);
    const Screenshot shot = Shot();
    struct Case {
        const char* name;
        int column;
        int contentLeft;  // where the caption's rectangle starts within the item
    };
    const Case cases[] = {
        {"box column: caption right of the image", 0, 6 + 16 + 6},
        {"right-aligned column", 1, 6},
        {"left-aligned column without image", 2, 6},
    };
    for (const Case& c : cases) {
        const RECT item = Item(c.column);
        const RECT ink = shot.Extent(item, test::Exactly(kBlue));
        ASSERT_GT(ink.right, ink.left) << c.name << ": blue caption";
        const int centre = (item.left + c.contentLeft + item.right - 6) / 2;
        EXPECT_NEAR((ink.left + ink.right) / 2, centre, 2) << c.name;
        EXPECT_EQ(shot.Count(item, [](COLORREF p) { return test::Luminance(p) < 60 && p != kBlue; }), 0)
            << c.name << ": no caption in the button-text colour";
    }
}

TEST_F(HeaderTest, SeparatorsBetweenItemsAndAFrameEndingAtTheLastItem) {
    const Screenshot shot = Shot();
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const RECT first = Item(0);
    const RECT last = Item(2);
    const int y = (first.top + first.bottom) / 2;
    EXPECT_EQ(shot.At(first.right - 1, y), shadow) << "separator, left line";
    EXPECT_EQ(shot.At(first.right, y), highlight) << "separator, right line";
    EXPECT_EQ(shot.At(first.right - 1, first.top + 1), face) << "separator stops 2 px below the top";
    EXPECT_EQ(shot.At(last.right - 1, y), shadow) << "frame's right edge at the last item";
    EXPECT_EQ(shot.At(last.right, y), face) << "no separator after the last item";
    EXPECT_EQ(shot.At(shot.Width() - 2, y), face) << "frame does not run to the window's edge";
    EXPECT_EQ(shot.At(first.left, y), highlight) << "frame's left edge";
    EXPECT_EQ(shot.At(first.left + 40, first.top), highlight) << "frame's top edge";
    EXPECT_EQ(shot.At(first.left + 40, first.bottom - 1), shadow) << "frame's bottom edge";
}

}  // namespace
}  // namespace tavelin
