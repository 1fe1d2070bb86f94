// Pixel geometry of the check-box list's cells, free of any window system so that it can be
// checked on its own: where the check box and its mark go, how a progress cell is divided, and
// the text a progress bar carries.
#pragma once

#include <array>
#include <string>

namespace tavelin {

// Rectangle in the list's client coordinates; right and bottom are exclusive, as in GDI.
struct CellRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const CellRect& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

// A one-pixel vertical line from (x, top) down to, but not including, (x, bottom).
struct VerticalStroke {
    int x = 0;
    int top = 0;
    int bottom = 0;
    bool operator==(const VerticalStroke& other) const {
        return x == other.x && top == other.top && bottom == other.bottom;
    }
};

// The square of a check-box cell before its sunken edge is drawn: as high as the cell less one
// pixel, 9 pixels in from the left, or centred when the cell has no text beside it.
CellRect CheckBoxSquare(const CellRect& cell, bool cellHasText);

// The square whose edge and mark are drawn: the sunken edge starts one pixel right of the filled
// square, and the mark is measured from there.
CellRect CheckBoxFrame(const CellRect& square);

// The tick: four strokes falling to the left from the upper right, then three rising from there,
// each three pixels long.
using CheckMark = std::array<VerticalStroke, 7>;
CheckMark CheckMarkStrokes(const CellRect& frame);

// Where the text beside a check box goes: 4 pixels right of the square, to the cell's right edge.
CellRect CheckBoxTextRect(const CellRect& cell, const CellRect& square);

// A progress cell. `bar` is the framed rectangle (the cell less one pixel at the bottom, one at the
// left and two at the right); `trough` is filled light grey; `fill` is the part the percent has
// passed; the text is drawn twice into `text`, clipped once to `fill` and once to `remainder`.
struct ProgressLayout {
    CellRect bar;
    CellRect trough;
    bool hasFill = false;  // false at 0 percent and below: no fill and no text
    CellRect fill;
    CellRect text;
    CellRect remainder;
};
ProgressLayout LayoutProgressBar(const CellRect& cell, int percent);

// The bar's text: every integer conversion of `format` (%d, %i, %u with flags, width and
// precision) shows the percent, "%%" shows one percent sign, and anything else is shown as
// written, so a caption without placeholder stays fixed. An empty format means "%d%%".
std::wstring FormatProgressText(const std::wstring& format, int percent);

}  // namespace tavelin
