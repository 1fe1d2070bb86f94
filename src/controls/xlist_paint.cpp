#include "controls/xlist_paint.h"

#include <optional>

#include "controls/xlist_ctrl.h"
#include "controls/xlist_geometry.h"
#include "platform/handles.h"

namespace tavelin {

namespace {

constexpr COLORREF kTroughColour = RGB(224, 224, 224);
constexpr COLORREF kTickColour = RGB(0, 0, 0);
constexpr COLORREF kInnerShadowColour = RGB(0, 0, 0);

// Restores every attribute and selection of a context that a painter changed.
class SavedDc {
public:
    explicit SavedDc(HDC dc) : m_dc(dc), m_state(SaveDC(dc)) {}
    ~SavedDc() {
        if (m_state != 0) RestoreDC(m_dc, m_state);
    }
    SavedDc(const SavedDc&) = delete;
    SavedDc& operator=(const SavedDc&) = delete;

private:
    HDC m_dc;
    int m_state;
};

CellRect ToCellRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
RECT ToRect(const CellRect& r) { return {r.left, r.top, r.right, r.bottom}; }

void FillSolid(HDC dc, const RECT& area, COLORREF colour) {
    UniqueGdiObject brush(CreateSolidBrush(colour));
    FillRect(dc, &area, static_cast<HBRUSH>(brush.Get()));
}

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void DrawClippedText(HDC dc, const std::wstring& text, const RECT& area, const CellRect& clip, COLORREF colour) {
    SavedDc saved(dc);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    SetTextColor(dc, colour);
    RECT target = area;
    DrawTextW(dc, text.c_str(), -1, &target, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace

void PaintTextCell(HDC dc, const RECT& cell, const std::wstring& text, UINT alignment, bool bold,
                   CellColours colours) {
    SavedDc saved(dc);
    FillSolid(dc, cell, colours.back);
    if (text.empty()) return;

    UniqueGdiObject boldFont;
    std::optional<SelectedObject> boldSelection;
    if (bold) {
        LOGFONTW font{};
        if (GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof font, &font) != 0) {
            font.lfWeight = FW_BOLD;
            boldFont.Reset(CreateFontIndirectW(&font));
            if (boldFont) boldSelection.emplace(dc, boldFont.Get());
        }
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colours.text);
    SetBkColor(dc, colours.back);
    RECT target = cell;
    DrawTextW(dc, text.c_str(), -1, &target, alignment | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}

void PaintCheckBoxCell(HDC dc, const RECT& cell, const std::wstring& text, int check, bool rowEnabled,
                       CellColours colours, COLORREF window, COLORREF grayText) {
    SavedDc saved(dc);
    FillSolid(dc, cell, colours.back);

    const CellRect square = CheckBoxSquare(ToCellRect(cell), !text.empty());
    FillSolid(dc, ToRect(square), window);
    const CellRect frame = CheckBoxFrame(square);
    RECT edge = ToRect(frame);
    DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);

    if (check == CHECK_ON) {
        UniqueGdiObject pen(CreatePen(PS_SOLID, 1, rowEnabled ? kTickColour : grayText));
        SelectedObject penSelection(dc, pen.Get());
        for (const VerticalStroke& stroke : CheckMarkStrokes(frame)) Line(dc, stroke.x, stroke.top, stroke.x, stroke.bottom);
    }

    if (!text.empty()) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, colours.text);
        RECT target = ToRect(CheckBoxTextRect(ToCellRect(cell), square));
        DrawTextW(dc, text.c_str(), -1, &target, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
}

void PaintProgressCell(HDC dc, const RECT& cell, int percent, bool textVisible, const std::wstring& format,
                       CellColours colours, COLORREF shadow, COLORREF highlight) {
    SavedDc saved(dc);
    const ProgressLayout layout = LayoutProgressBar(ToCellRect(cell), percent);
    const CellRect& r = layout.bar;
    {
        UniqueGdiObject framePen(CreatePen(PS_SOLID, 1, shadow));
        SelectedObject penSelection(dc, framePen.Get());
        Line(dc, r.left, r.bottom, r.right + 1, r.bottom);
        Line(dc, r.left, r.top, r.right, r.top);
        Line(dc, r.left, r.top, r.left, r.bottom);
        Line(dc, r.right, r.top, r.right, r.bottom);
    }
    FillSolid(dc, ToRect(layout.trough), kTroughColour);
    {
        UniqueGdiObject innerPen(CreatePen(PS_SOLID, 1, kInnerShadowColour));
        SelectedObject penSelection(dc, innerPen.Get());
        Line(dc, r.left + 1, r.top + 1, r.right, r.top + 1);
        Line(dc, r.left + 1, r.top + 1, r.left + 1, r.bottom);
    }
    if (!layout.hasFill) return;  // an empty bar carries no text

    FillSolid(dc, ToRect(layout.fill), highlight);
    if (!textVisible) return;
    const std::wstring caption = FormatProgressText(format, percent);
    const RECT textArea = ToRect(layout.text);
    SetBkMode(dc, TRANSPARENT);
    DrawClippedText(dc, caption, textArea, layout.fill, colours.back);
    DrawClippedText(dc, caption, textArea, layout.remainder, colours.text);
}

void PaintEmptyMessage(HDC dc, const RECT& area, const std::wstring& message, CellColours colours) {
    SavedDc saved(dc);
    FillSolid(dc, area, colours.back);
    SetTextColor(dc, colours.text);
    SetBkColor(dc, colours.back);
    SelectObject(dc, GetStockObject(ANSI_VAR_FONT));  // the saved state gives the old font back
    RECT target = area;
    DrawTextW(dc, message.c_str(), -1, &target, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_NOCLIP);
}

}  // namespace tavelin
