// A static text whose background is never painted, so that what its parent paints behind it (the
// skin) shows through, and which has the parent repaint the area under it whenever its text
// changes, so that no part of an older, longer text remains.
#pragma once

#include <windows.h>

namespace tavelin {

class CTransparentStatic {
public:
    CTransparentStatic() = default;
    ~CTransparentStatic();
    CTransparentStatic(const CTransparentStatic&) = delete;
    CTransparentStatic& operator=(const CTransparentStatic&) = delete;

    // Takes over an existing static control; false if it is not a window or already taken.
    bool Attach(HWND control);
    void Detach();
    HWND Window() const { return m_hWnd; }

    // The answer to the parent's WM_CTLCOLORSTATIC for this control: text drawn without
    // background, and a brush that paints nothing.
    static HBRUSH HandleCtlColor(HDC dc);

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
};

}  // namespace tavelin
