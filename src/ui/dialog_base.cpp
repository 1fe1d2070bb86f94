#include "ui/dialog_base.h"

namespace tavelin {

DialogBase::DialogBase(HINSTANCE instance, int templateId) : m_hInstance(instance), m_templateId(templateId) {}

INT_PTR DialogBase::DoModal(HWND owner) {
    const bool disableOwner = owner != nullptr && IsWindowEnabled(owner);
    if (disableOwner) EnableWindow(owner, FALSE);

    m_nModalResult = -1;
    m_bModalRunning = true;
    HWND window = CreateDialogParamW(m_hInstance, MAKEINTRESOURCEW(m_templateId), owner, StaticDialogProc,
                                     reinterpret_cast<LPARAM>(this));
    if (window == nullptr) {
        m_bModalRunning = false;
        if (disableOwner) EnableWindow(owner, TRUE);
        return -1;
    }

    // The window is shown once the queue is first empty, so that a dialog whose initialisation
    // posted WM_QUIT never appears.
    bool shown = (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
    MSG msg;
    while (m_bModalRunning) {
        if (!shown && !m_bKeepHidden && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            ShowWindow(window, SW_SHOWNORMAL);
            UpdateWindow(window);
            shown = true;
        }
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            m_nModalResult = -1;
            break;
        }
        if (got == -1) break;
        if (IsWindow(window) && PreTranslateMessage(msg)) continue;
        if (!IsWindow(window) || !IsDialogMessageW(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    m_bModalRunning = false;

    // Re-enable the owner before the dialog goes, so activation returns to it.
    if (disableOwner) EnableWindow(owner, TRUE);
    if (IsWindow(window)) DestroyWindow(window);
    m_hWnd = nullptr;
    return m_nModalResult;
}

void DialogBase::EndDialog(INT_PTR result) {
    m_nModalResult = result;
    m_bModalRunning = false;
    // Wake the loop in case it is waiting in GetMessage.
    if (m_hWnd != nullptr) PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

bool DialogBase::HandleMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            result = TRUE;
            return true;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            result = TRUE;
            return true;
        }
    }
    return false;
}

void DialogBase::CenterIfUnplaced() {
    RECT bounds = {};
    GetWindowRect(m_hWnd, &bounds);
    if (bounds.left != 0 || bounds.top != 0) return;
    if ((GetWindowLongW(m_hWnd, GWL_STYLE) & WS_CHILD) != 0) return;

    RECT area = {};
    HWND owner = GetWindow(m_hWnd, GW_OWNER);
    if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) {
        GetWindowRect(owner, &area);
    } else {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    int x = area.left + ((area.right - area.left) - width) / 2;
    int y = area.top + ((area.bottom - area.top) - height) / 2;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK DialogBase::StaticDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogBase* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<DialogBase*>(lParam);
        self->m_hWnd = window;
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        const BOOL result = self->OnInitDialog();
        // Like the framework, centre a dialog that its template and initialisation left at the
        // origin; this runs after initialisation so that a dialog resized there is centred as shown.
        if (IsWindow(window)) self->CenterIfUnplaced();
        return result;
    }
    self = reinterpret_cast<DialogBase*>(GetWindowLongPtrW(window, DWLP_USER));
    if (self == nullptr) return FALSE;

    if (message == WM_DESTROY) {
        self->OnDestroy();
        return FALSE;
    }
    INT_PTR result = FALSE;
    if (self->HandleMessage(message, wParam, lParam, result)) return result;
    return FALSE;
}

}  // namespace tavelin
