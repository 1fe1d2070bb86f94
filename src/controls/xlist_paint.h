// The check-box list's cell painters. Each takes a drawing context, a rectangle and the values to
// show, and leaves the context as it found it: they change nothing but pixels.
#pragma once

#include <windows.h>

#include <string>

namespace tavelin {

struct CellColours {
    COLORREF text;
    COLORREF back;
};

// Plain text over the cell's background; `alignment` is DT_LEFT, DT_CENTER or DT_RIGHT. A bold cell
// draws with the context's current font at weight 700.
void PaintTextCell(HDC dc, const RECT& cell, const std::wstring& text, UINT alignment, bool bold,
                   CellColours colours);

// A check box 9 pixels in from the left with the text beside it, or centred without text. The tick
// is black on an enabled row and `grayText` on a disabled one; `window` fills the box.
void PaintCheckBoxCell(HDC dc, const RECT& cell, const std::wstring& text, int check, bool rowEnabled,
                       CellColours colours, COLORREF window, COLORREF grayText);

// A framed bar filled in `highlight` up to the percent; its text is drawn in the background colour
// over the filled part and in the text colour beyond it. Nothing is drawn outside the frame.
void PaintProgressCell(HDC dc, const RECT& cell, int percent, bool textVisible, const std::wstring& format,
                       CellColours colours, COLORREF shadow, COLORREF highlight);

// The message of an empty list: centred, top-aligned and word-wrapped in the area.
void PaintEmptyMessage(HDC dc, const RECT& area, const std::wstring& message, CellColours colours);

}  // namespace tavelin
