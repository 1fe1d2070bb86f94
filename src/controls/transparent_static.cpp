#include "controls/transparent_static.h"

#include <commctrl.h>

namespace tavelin {

namespace {
constexpr UINT_PTR kSubclassId = 0x5453;
}

CTransparentStatic::~CTransparentStatic() { Detach(); }

bool CTransparentStatic::Attach(HWND control) {
    if (m_hWnd != nullptr || !IsWindow(control)) return false;
    if (!SetWindowSubclass(control, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) return false;
    m_hWnd = control;
    return true;
}

void CTransparentStatic::Detach() {
    if (m_hWnd == nullptr) return;
    RemoveWindowSubclass(m_hWnd, SubclassProc, kSubclassId);
    m_hWnd = nullptr;
}

HBRUSH CTransparentStatic::HandleCtlColor(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

LRESULT CTransparentStatic::OnSetText(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefSubclassProc(m_hWnd, WM_SETTEXT, wParam, lParam);
    // The control paints no background, so the old text stays on screen unless the parent
    // repaints what lies behind the control before the new text is drawn over it.
    HWND parent = GetParent(m_hWnd);
    if (parent != nullptr) {
        RECT area;
        GetWindowRect(m_hWnd, &area);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
        InvalidateRect(parent, &area, TRUE);
        UpdateWindow(parent);
    }
    return result;
}

LRESULT CALLBACK CTransparentStatic::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                  UINT_PTR id, DWORD_PTR self) {
    auto* control = reinterpret_cast<CTransparentStatic*>(self);
    switch (message) {
    case WM_SETTEXT:
        return control->OnSetText(wParam, lParam);
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, SubclassProc, id);
        control->m_hWnd = nullptr;
        break;
    default:
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace tavelin
