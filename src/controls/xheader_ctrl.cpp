#include "controls/xheader_ctrl.h"

#include <commctrl.h>

#include "controls/mem_dc.h"
#include "controls/xheader_geometry.h"
#include "platform/handles.h"

namespace tavelin {

namespace {

constexpr UINT_PTR kSubclassId = 0x5848;
constexpr COLORREF kCaptionColour = RGB(0, 0, 255);
constexpr int kCaptionBufferLength = 160;

CellRect ToCellRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
RECT ToRect(const CellRect& r) { return {r.left, r.top, r.right, r.bottom}; }

void DrawStroke(HDC dc, const VerticalStroke& stroke) {
    MoveToEx(dc, stroke.x, stroke.top, nullptr);
    LineTo(dc, stroke.x, stroke.bottom);
}

void FillSolid(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    const RECT area{left, top, right, bottom};
    UniqueGdiObject brush(CreateSolidBrush(colour));
    FillRect(dc, &area, static_cast<HBRUSH>(brush.Get()));
}

}  // namespace

CXHeaderCtrl::CXHeaderCtrl() { ReadColours(); }

CXHeaderCtrl::~CXHeaderCtrl() { Detach(); }

bool CXHeaderCtrl::Attach(HWND header) {
    if (m_hWnd != nullptr || !IsWindow(header)) return false;
    if (!SetWindowSubclass(header, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) return false;
    m_hWnd = header;
    // An image list given before the take-over is measured now, as one given later would be.
    if (HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(header, HDM_GETIMAGELIST, 0, 0))) {
        MeasureImages(images);
    }
    InvalidateRect(header, nullptr, TRUE);
    return true;
}

void CXHeaderCtrl::Detach() {
    if (m_hWnd == nullptr) return;
    RemoveWindowSubclass(m_hWnd, SubclassProc, kSubclassId);
    m_hWnd = nullptr;
}

void CXHeaderCtrl::ReadColours() {
    m_crHighlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    m_crShadow = GetSysColor(COLOR_BTNSHADOW);
    m_crFace = GetSysColor(COLOR_BTNFACE);
    m_crButtonText = GetSysColor(COLOR_BTNTEXT);
}

void CXHeaderCtrl::MeasureImages(HIMAGELIST images) {
    IMAGEINFO info{};
    if (images != nullptr && ImageList_GetImageInfo(images, 0, &info)) {
        m_imageSize.cx = info.rcImage.right - info.rcImage.left;
        m_imageSize.cy = info.rcImage.bottom - info.rcImage.top;
    }
}

void CXHeaderCtrl::Paint(HDC dc) const {
    RECT clip;
    if (GetClipBox(dc, &clip) == ERROR || IsRectEmpty(&clip)) return;
    RECT client;
    GetClientRect(m_hWnd, &client);

    FillSolid(dc, clip.left, clip.top, clip.right, clip.bottom, m_crFace);

    UniqueGdiObject highlightPen(CreatePen(PS_SOLID, 1, m_crHighlight));
    UniqueGdiObject shadowPen(CreatePen(PS_SOLID, 1, m_crShadow));
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    // A header that was never given a font draws with the context's own.
    SelectedObject fontSelection(dc, font != nullptr ? static_cast<HGDIOBJ>(font) : GetCurrentObject(dc, OBJ_FONT));
    SelectedObject penSelection(dc, shadowPen.Get());
    const COLORREF previousBack = SetBkColor(dc, m_crFace);
    const COLORREF previousText = SetTextColor(dc, m_crButtonText);

    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(m_hWnd, HDM_GETIMAGELIST, 0, 0));
    const int count = static_cast<int>(SendMessageW(m_hWnd, HDM_GETITEMCOUNT, 0, 0));
    int totalWidth = 0;
    for (int position = 0; position < count; ++position) {
        const int index = static_cast<int>(SendMessageW(m_hWnd, HDM_ORDERTOINDEX, position, 0));
        wchar_t caption[kCaptionBufferLength] = {};
        HDITEMW item{};
        item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT | HDI_BITMAP | HDI_IMAGE;
        item.pszText = caption;
        item.cchTextMax = kCaptionBufferLength;
        SendMessageW(m_hWnd, HDM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
        RECT itemRect{};
        SendMessageW(m_hWnd, HDM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&itemRect));

        DrawItemContent(dc, itemRect, item, images);

        if (position < count - 1) {
            const HeaderSeparator separator = HeaderSeparatorAt(ToCellRect(itemRect));
            SelectObject(dc, shadowPen.Get());
            DrawStroke(dc, separator.shadow);
            SelectObject(dc, highlightPen.Get());
            DrawStroke(dc, separator.highlight);
        }
        totalWidth += item.cxy;
    }

    if (totalWidth > 0) {
        const CellRect frame = HeaderFrameRect(ToCellRect(client), totalWidth);
        FillSolid(dc, frame.left, frame.top, frame.right - 1, frame.top + 1, m_crHighlight);
        FillSolid(dc, frame.left, frame.top, frame.left + 1, frame.bottom - 1, m_crHighlight);
        FillSolid(dc, frame.right - 1, frame.top, frame.right, frame.bottom, m_crShadow);
        FillSolid(dc, frame.left, frame.bottom - 1, frame.right, frame.bottom, m_crShadow);
    }

    SetTextColor(dc, previousText);
    SetBkColor(dc, previousBack);
}

void CXHeaderCtrl::DrawItemContent(HDC dc, const RECT& item, const HDITEMW& data, HIMAGELIST images) const {
    const bool hasText = (data.mask & HDI_TEXT) != 0 && (data.fmt & HDF_STRING) != 0;
    const HeaderItemLayout layout = LayoutHeaderItem(ToCellRect(item), data.iImage, images != nullptr,
                                                     m_imageSize.cx, m_imageSize.cy, hasText);
    if (layout.hasImage) {
        // The image's transparent parts take the context's background colour; drawing with that
        // colour leaves the image list itself unchanged.
        ImageList_DrawEx(images, data.iImage, dc, layout.image.left, layout.image.top, layout.image.Width(),
                         layout.image.Height(), GetBkColor(dc), CLR_DEFAULT, ILD_NORMAL);
    }
    SetTextColor(dc, kCaptionColour);
    if (layout.hasCaption) {
        RECT caption = ToRect(layout.caption);
        DrawTextW(dc, data.pszText, -1, &caption, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
}

LRESULT CXHeaderCtrl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(m_hWnd, &paint);
        if (dc != nullptr) {
            CMemDC buffer(dc);
            Paint(buffer);
        }
        EndPaint(m_hWnd, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return TRUE;  // painting covers the whole clip box
    case WM_SYSCOLORCHANGE: {
        const LRESULT result = DefSubclassProc(m_hWnd, message, wParam, lParam);
        ReadColours();
        return result;
    }
    case HDM_SETIMAGELIST:
        MeasureImages(reinterpret_cast<HIMAGELIST>(lParam));
        return DefSubclassProc(m_hWnd, message, wParam, lParam);
    default:
        return DefSubclassProc(m_hWnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK CXHeaderCtrl::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR self) {
    auto* header = reinterpret_cast<CXHeaderCtrl*>(self);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, SubclassProc, id);
        header->m_hWnd = nullptr;
        return DefSubclassProc(window, message, wParam, lParam);
    }
    return header->HandleMessage(message, wParam, lParam);
}

}  // namespace tavelin
