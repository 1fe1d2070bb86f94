#include "ui/skin_paint.h"

#include "platform/handles.h"

namespace tavelin {
namespace {

class PaintContext {
public:
    explicit PaintContext(HWND window) : m_window(window), m_dc(BeginPaint(window, &m_paint)) {}
    ~PaintContext() { EndPaint(m_window, &m_paint); }
    PaintContext(const PaintContext&) = delete;
    PaintContext& operator=(const PaintContext&) = delete;
    HDC Dc() const { return m_dc; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint = {};
    HDC m_dc;
};

}  // namespace

void PaintSkinnedDialog(HWND dialog, HBITMAP skin, HICON icon) {
    PaintContext paint(dialog);
    RECT client = {};
    GetClientRect(dialog, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;

    if (IsIconic(dialog)) {
        SendMessageW(dialog, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.Dc()), 0);
        const int x = (width - GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (height - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(paint.Dc(), x, y, icon);
        return;
    }
    if (skin == nullptr) return;
    UniqueMemoryDc memory(CreateCompatibleDC(paint.Dc()));
    SelectedObject selected(memory.Get(), skin);
    BitBlt(paint.Dc(), 0, 0, width, height, memory.Get(), 0, 0, SRCCOPY);
}

bool SkinCoversBackground(HWND dialog, HBITMAP skin) {
    if (skin == nullptr || IsIconic(dialog)) return false;
    BITMAP picture = {};
    if (GetObjectW(skin, sizeof(picture), &picture) == 0) return false;
    RECT client = {};
    GetClientRect(dialog, &client);
    return picture.bmWidth >= client.right - client.left && picture.bmHeight >= client.bottom - client.top;
}

HBRUSH TransparentStaticBrush(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

}  // namespace tavelin
