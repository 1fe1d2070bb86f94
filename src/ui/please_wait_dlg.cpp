#include "ui/please_wait_dlg.h"

#include "ui/dialog_texts_text.h"
#include "ui/resource.h"

namespace tavelin {

CPleaseWaitDlg::CPleaseWaitDlg(HINSTANCE instance) : DialogBase(instance, IDD_PLEASE_WAIT) {}

BOOL CPleaseWaitDlg::OnInitDialog() {
    m_nDotCount = 1;
    SetDlgItemTextW(Window(), IDC_PLEASE_WAIT_TEXT, m_strBaseText.c_str());
    SetTimer(Window(), kAnimationTimer, 1000, nullptr);
    // A lifetime of 0 seconds fires at the first opportunity: the dialog closes almost at once.
    SetTimer(Window(), kCloseTimer, PleaseWaitLifetimeMs(m_nSeconds), nullptr);
    return TRUE;
}

bool CPleaseWaitDlg::PreTranslateMessage(MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_KEYUP && message.message != WM_MOUSEWHEEL) {
        return false;
    }
    if (message.hwnd != Window() && !IsChild(Window(), message.hwnd)) return false;
    SendMessageW(Window(), message.message, message.wParam, message.lParam);
    return true;
}

bool CPleaseWaitDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kCloseTimer) {
                KillTimer(Window(), kCloseTimer);
                EndDialog(0);
            } else if (wParam == kAnimationTimer) {
                const std::wstring text = PleaseWaitText(m_strBaseText, m_nDotCount);
                m_nDotCount = NextPleaseWaitDotCount(m_nDotCount);
                SetDlgItemTextW(Window(), IDC_PLEASE_WAIT_TEXT, text.c_str());
            }
            result = TRUE;
            return true;
        case WM_KEYDOWN:
            if (wParam == VK_F2) {
                EndDialog(0);
                result = TRUE;
                return true;
            }
            // Escape is ignored; every other key gets the default handling.
            if (wParam == VK_ESCAPE) {
                result = TRUE;
                return true;
            }
            break;
        default:
            break;
    }
    return DialogBase::HandleMessage(message, wParam, lParam, result);
}

}  // namespace tavelin
