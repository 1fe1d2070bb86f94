// The list's header, painted by us: flat 3-D face, separators, an image from the header's image
// list left of each caption (the column's check box), and every caption centred in blue. It paints
// through an off-screen buffer so that it does not flicker while the list redraws.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace tavelin {

class CXHeaderCtrl {
public:
    CXHeaderCtrl();
    ~CXHeaderCtrl();
    CXHeaderCtrl(const CXHeaderCtrl&) = delete;
    CXHeaderCtrl& operator=(const CXHeaderCtrl&) = delete;

    // Takes over an existing header window; false if it is not a window or one is already held.
    bool Attach(HWND header);
    void Detach();
    HWND Window() const { return m_hWnd; }

    // Size of image 0 of the image list last given to the header; 0 x 0 before that.
    SIZE ImageSize() const { return m_imageSize; }

    // Draws the whole header for the context's clip box.
    void Paint(HDC dc) const;

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void ReadColours();
    void MeasureImages(HIMAGELIST images);
    void DrawItemContent(HDC dc, const RECT& item, const HDITEMW& data, HIMAGELIST images) const;

    HWND m_hWnd = nullptr;
    SIZE m_imageSize{0, 0};
    COLORREF m_crHighlight = 0;
    COLORREF m_crShadow = 0;
    COLORREF m_crFace = 0;
    COLORREF m_crButtonText = 0;
};

}  // namespace tavelin
