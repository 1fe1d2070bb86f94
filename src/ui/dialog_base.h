// The thin dialog base that carries message handling for the program's dialogs: a dialog object
// finds itself through DWLP_USER (set at WM_INITDIALOG) and the static procedure forwards to the
// member HandleMessage. DoModal runs its own modal loop so that a quit posted during
// initialisation ends the dialog before it is ever shown, and a WM_QUIT seen by the loop is posted
// again for the caller's loop, as the system's own modal loops do.
#pragma once

#include <windows.h>

namespace tavelin {

class DialogBase {
public:
    DialogBase(HINSTANCE instance, int templateId);
    virtual ~DialogBase() = default;
    DialogBase(const DialogBase&) = delete;
    DialogBase& operator=(const DialogBase&) = delete;

    // Creates the dialog, runs it until EndDialog or WM_QUIT, destroys it; returns the end code,
    // or -1 when it could not be created or the loop ended by WM_QUIT.
    INT_PTR DoModal(HWND owner);

    HWND Window() const { return m_hWnd; }
    HINSTANCE Instance() const { return m_hInstance; }
    HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }
    void EndDialog(INT_PTR result);
    // The modal loop never shows the window (an unattended run without a window): its controls
    // work as ever, hidden.
    void KeepHidden() { m_bKeepHidden = true; }
    bool KeptHidden() const { return m_bKeepHidden; }

protected:
    // WM_INITDIALOG. The result is what the dialog procedure returns for it.
    virtual BOOL OnInitDialog() { return TRUE; }
    // Every message; return true when handled, with the dialog procedure's result in `result`.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    // Sees every message of the modal loop before the dialog manager does; true when it was
    // handled and must not be processed further.
    virtual bool PreTranslateMessage(MSG&) { return false; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // WM_DESTROY, while the window and its controls still exist.
    virtual void OnDestroy() {}

    // For handlers that must report a value from the dialog procedure (WM_NOTIFY results).
    void SetMessageResult(LONG_PTR value) { SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, value); }

private:
    void CenterIfUnplaced();
    static INT_PTR CALLBACK StaticDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE m_hInstance;
    int m_templateId;
    HWND m_hWnd = nullptr;
    bool m_bModalRunning = false;
    bool m_bKeepHidden = false;
    INT_PTR m_nModalResult = -1;
};

}  // namespace tavelin
