// A top-level test window that plays the owner of the controls (it forwards WM_NOTIFY to the list
// as the main dialog does and records what reaches it), and screenshots of windows as painted.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <utility>
#include <vector>

#include "controls/transparent_static.h"
#include "controls/xlist_ctrl.h"
#include "platform/handles.h"

namespace tavelin::test {

inline void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

inline int Luminance(COLORREF c) { return (GetRValue(c) * 3 + GetGValue(c) * 6 + GetBValue(c)) / 10; }

// The client area of a window as it is on the screen.
class Screenshot {
public:
    explicit Screenshot(HWND window) {
        RECT client;
        GetClientRect(window, &client);
        m_width = client.right;
        m_height = client.bottom;
        m_pixels.resize(static_cast<size_t>(m_width) * m_height);
        HDC screen = GetDC(window);
        UniqueMemoryDc memory(CreateCompatibleDC(screen));
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = m_width;
        info.bmiHeader.biHeight = -m_height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        UniqueGdiObject bitmap(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        {
            SelectedObject selection(memory.Get(), bitmap.Get());
            BitBlt(memory.Get(), 0, 0, m_width, m_height, screen, 0, 0, SRCCOPY);
            GdiFlush();
            const auto* source = static_cast<const DWORD*>(bits);
            for (size_t i = 0; i < m_pixels.size(); ++i) {
                const DWORD p = source[i];
                m_pixels[i] = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
            }
        }
        ReleaseDC(window, screen);
    }

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    COLORREF At(int x, int y) const {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height) return CLR_INVALID;
        return m_pixels[static_cast<size_t>(y) * m_width + x];
    }
    int Count(const RECT& area, const std::function<bool(COLORREF)>& match) const {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (At(x, y) != CLR_INVALID && match(At(x, y))) ++count;
        return count;
    }
    // Bounding box of the matching pixels; empty (all 0) when there are none.
    RECT Extent(const RECT& area, const std::function<bool(COLORREF)>& match) const {
        RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (At(x, y) != CLR_INVALID && match(At(x, y))) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        if (box.right == INT_MIN) return RECT{0, 0, 0, 0};
        return box;
    }

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<COLORREF> m_pixels;
};

inline std::function<bool(COLORREF)> Exactly(COLORREF colour) {
    return [colour](COLORREF c) { return c == colour; };
}
inline std::function<bool(COLORREF)> Dark() {
    return [](COLORREF c) { return Luminance(c) < 100; };
}

// The owner window of the controls under test.
class TestOwner {
public:
    struct Notification {
        UINT code;
        int item;
        int subItem;
    };

    explicit TestOwner(COLORREF background = RGB(255, 255, 255)) : m_background(background) {
        static const ATOM kClass = [] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = WindowProc;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            windowClass.lpszClassName = L"TavelinControlsTestOwner";
            return RegisterClassW(&windowClass);
        }();
        (void)kClass;
        m_hWnd = CreateWindowExW(0, L"TavelinControlsTestOwner", L"controls", WS_POPUP | WS_VISIBLE, 0, 0, 640, 420,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), this);
        SetForegroundWindow(m_hWnd);
        SetActiveWindow(m_hWnd);
        PumpMessages();
    }
    ~TestOwner() {
        if (m_hWnd != nullptr) DestroyWindow(m_hWnd);
        PumpMessages();
    }
    TestOwner(const TestOwner&) = delete;
    TestOwner& operator=(const TestOwner&) = delete;

    HWND Window() const { return m_hWnd; }
    void ForwardNotifyTo(CXListCtrl* list) { m_list = list; }

    std::vector<Notification> notifications;                 // from the list, in order
    std::vector<std::pair<WPARAM, LPARAM>> checkboxClicks;  // the registered message

    int CountNotifications(UINT code) const {
        int count = 0;
        for (const Notification& n : notifications) count += n.code == code ? 1 : 0;
        return count;
    }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<TestOwner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
        if (message == WM_XLISTCTRL_CHECKBOX_CLICKED) {
            self->checkboxClicks.emplace_back(wParam, lParam);
            return 0;
        }
        switch (message) {
        case WM_NOTIFY: {
            const auto* notify = reinterpret_cast<const NMHDR*>(lParam);
            LRESULT result = 0;
            if (self->m_list != nullptr && self->m_list->HandleParentNotify(notify, result)) return result;
            if (self->m_list != nullptr && notify->hwndFrom == self->m_list->Window()) {
                const auto* view = reinterpret_cast<const NMLISTVIEW*>(notify);
                const bool hasItem = notify->code == NM_CLICK || notify->code == LVN_COLUMNCLICK ||
                                     notify->code == LVN_ITEMCHANGED;
                self->notifications.push_back(
                    {notify->code, hasItem ? view->iItem : -1, hasItem ? view->iSubItem : -1});
            }
            return 0;
        }
        case WM_CTLCOLORSTATIC:
            return reinterpret_cast<LRESULT>(CTransparentStatic::HandleCtlColor(reinterpret_cast<HDC>(wParam)));
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(window, &client);
            UniqueGdiObject brush(CreateSolidBrush(self->m_background));
            FillRect(reinterpret_cast<HDC>(wParam), &client, static_cast<HBRUSH>(brush.Get()));
            return TRUE;
        }
        case WM_NCDESTROY:
            self->m_hWnd = nullptr;
            break;
        default:
            break;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND m_hWnd = nullptr;
    COLORREF m_background;
    CXListCtrl* m_list = nullptr;
};

}  // namespace tavelin::test
