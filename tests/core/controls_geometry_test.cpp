// The controls' drawing geometry, free of any window system: here natively, under the sanitizers,
// and in the Windows build's core tests; the pixels themselves are checked in tests/controls.
#include "controls/xheader_geometry.h"
#include "controls/xlist_geometry.h"

#include <gtest/gtest.h>

#include <string>

namespace tavelin {
namespace {

std::string Show(const CellRect& r) {
    return "{" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + "}";
}

TEST(CheckBoxGeometry, SquareSitsNinePixelsInOrCentredWithoutText) {
    struct Case {
        const char* name;
        CellRect cell;
        bool hasText;
        CellRect square;
    };
    const Case cases[] = {
        {"with text: 9 px in, side = height - 1", {0, 0, 80, 17}, true, {9, 0, 25, 16}},
        {"with text, offset cell", {100, 40, 300, 58}, true, {109, 40, 126, 57}},
        {"no text: centred, halves truncated", {0, 0, 80, 17}, false, {31, 0, 47, 16}},
        {"no text, odd width and odd side", {10, 20, 91, 38}, false, {41, 20, 58, 37}},
        {"no text, cell narrower than the box", {0, 0, 8, 17}, false, {-5, 0, 11, 16}},
    };
    for (const Case& c : cases) {
        const CellRect square = CheckBoxSquare(c.cell, c.hasText);
        EXPECT_EQ(square, c.square) << c.name << ": got " << Show(square);
    }
}

TEST(CheckBoxGeometry, TickIsSevenThreePixelStrokesFromTheFrame) {
    // The frame of the centred box of an 80 x 17 cell: {32, 0, 47, 16}; x0 = 41, y0 = 3.
    const CellRect frame = CheckBoxFrame({31, 0, 47, 16});
    EXPECT_EQ(frame, (CellRect{32, 0, 47, 16}));
    const CheckMark expected = {{
        {41, 3, 6}, {40, 4, 7}, {39, 5, 8}, {38, 6, 9},  // falling to the left
        {37, 7, 10}, {36, 6, 9}, {35, 5, 8},             // rising from the bottom of the tick
    }};
    const CheckMark mark = CheckMarkStrokes(frame);
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(mark[i], expected[i]) << "stroke " << i << ": got x=" << mark[i].x << " " << mark[i].top << ".."
                                        << mark[i].bottom;
    }
}

TEST(CheckBoxGeometry, TextStartsFourPixelsRightOfTheSquare) {
    EXPECT_EQ(CheckBoxTextRect({0, 5, 80, 22}, {9, 5, 25, 21}), (CellRect{29, 5, 80, 22}));
}

TEST(ProgressGeometry, FrameTroughFillAndTextSplit) {
    struct Case {
        const char* name;
        int percent;
        bool hasFill;
        CellRect fill;
        CellRect remainder;
    };
    // Cell {200, 20, 320, 37}: bar {201, 20, 318, 36}, fill from x 203, y 22 to y 36.
    const Case cases[] = {
        {"0 percent: no fill", 0, false, {}, {}},
        {"negative: no fill", -5, false, {}, {}},
        {"1 percent truncates to no width", 1, true, {203, 22, 204, 36}, {205, 22, 318, 36}},
        {"37 percent", 37, true, {203, 22, 245, 36}, {246, 22, 318, 36}},
        {"100 percent reaches the frame", 100, true, {203, 22, 318, 36}, {319, 22, 318, 36}},
        {"above 100 stops at the frame", 250, true, {203, 22, 318, 36}, {319, 22, 318, 36}},
    };
    for (const Case& c : cases) {
        const ProgressLayout layout = LayoutProgressBar({200, 20, 320, 37}, c.percent);
        EXPECT_EQ(layout.bar, (CellRect{201, 20, 318, 36})) << c.name;
        EXPECT_EQ(layout.trough, (CellRect{202, 21, 318, 36})) << c.name;
        EXPECT_EQ(layout.text, (CellRect{202, 22, 317, 35})) << c.name;
        EXPECT_EQ(layout.hasFill, c.hasFill) << c.name;
        if (!c.hasFill) continue;
        EXPECT_EQ(layout.fill, c.fill) << c.name << ": got " << Show(layout.fill);
        EXPECT_EQ(layout.remainder, c.remainder) << c.name << ": got " << Show(layout.remainder);
    }
}

TEST(ProgressText, FormatsThePercentSafely) {
    struct Case {
        const wchar_t* format;
        int percent;
        const wchar_t* text;
    };
    const Case cases[] = {
        {L"", 37, L"37%"},
        {L"", 100, L"100%"},
        {L"Installing", 37, L"Installing"},
        {L"Installing", 1, L"Installing"},
        {L"%d of 100", 5, L"5 of 100"},
        {L"[%3d%%]", 7, L"[  7%]"},
        {L"%-3d|", 7, L"7  |"},
        {L"%ld%%", 42, L"42%"},
        {L"%s %d", 9, L"%s 9"},          // a text conversion has no argument: shown as written
        {L"100%", 50, L"100%"},          // a lone percent sign at the end
        {L"%99999d", 3, L"%99999d"},     // a width the runtime is not given
        {L"%d/%i", 4, L"4/4"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatProgressText(c.format, c.percent), std::wstring(c.text))
            << "format \"" << c.format << "\" at " << c.percent;
    }
}

TEST(HeaderGeometry, ImageAndCaptionInsideTheItem) {
    struct Case {
        const char* name;
        CellRect item;
        int imageIndex;
        bool hasImageList;
        bool hasText;
        bool image;
        CellRect imageRect;
        bool caption;
        CellRect captionRect;
    };
    // Images 16 x 16; the item's content starts and ends 6 pixels in.
    const Case cases[] = {
        {"box and caption", {0, 0, 100, 20}, 1, true, true, true, {6, 2, 22, 18}, true, {28, 0, 94, 20}},
        {"image index 0 is no image", {0, 0, 100, 20}, 0, true, true, false, {}, true, {6, 0, 94, 20}},
        {"no image list", {0, 0, 100, 20}, 2, false, true, false, {}, true, {6, 0, 94, 20}},
        {"image cut to a narrow item", {10, 0, 30, 20}, 1, true, true, true, {16, 2, 24, 18}, false, {}},
        {"no room for content", {0, 0, 12, 20}, 1, true, true, false, {}, false, {}},
        {"no caption without text", {0, 0, 100, 20}, 1, true, false, true, {6, 2, 22, 18}, false, {}},
    };
    for (const Case& c : cases) {
        const HeaderItemLayout layout = LayoutHeaderItem(c.item, c.imageIndex, c.hasImageList, 16, 16, c.hasText);
        EXPECT_EQ(layout.hasImage, c.image) << c.name;
        if (c.image) {
            EXPECT_EQ(Show(layout.image), Show(c.imageRect)) << c.name;
        }
        EXPECT_EQ(layout.hasCaption, c.caption) << c.name;
        if (c.caption) {
            EXPECT_EQ(Show(layout.caption), Show(c.captionRect)) << c.name;
        }
    }
}

TEST(HeaderGeometry, SeparatorAndFrame) {
    const HeaderSeparator separator = HeaderSeparatorAt({0, 0, 100, 20});
    EXPECT_EQ(separator.shadow.x, 99);
    EXPECT_EQ(separator.highlight.x, 100);
    EXPECT_EQ(separator.shadow.top, 2);
    EXPECT_EQ(separator.shadow.bottom, 18);
    EXPECT_EQ(Show(HeaderFrameRect({5, 0, 600, 24}, 300)), Show(CellRect{5, 0, 305, 24})) << "ends at the last item";
}

}  // namespace
}  // namespace tavelin
