#include "app/tavelin_dlg.h"

#include "ui/about_dlg.h"
#include "ui/resource.h"
#include "ui/skin_paint.h"

CTavelinDlg::CTavelinDlg(HINSTANCE instance)
    : DialogBase(instance, IDD_TAVELIN_DIALOG),
      m_hIcon(LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_messages(m_hMainWindow) {}

CTavelinDlg::~CTavelinDlg() {
    // A second unload after the quit path finds nothing loaded and does nothing.
    UnloadVendorLibraries();
}

void CTavelinDlg::OnDestroy() {
    UnloadVendorLibraries();
}

bool CTavelinDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
        case WM_PAINT:
            tavelin::PaintSkinnedDialog(Window(), static_cast<HBITMAP>(m_hSkinBitmap.Get()), m_hIcon);
            result = TRUE;
            return true;
        case WM_ERASEBKGND:
            if (!tavelin::SkinCoversBackground(Window(), static_cast<HBITMAP>(m_hSkinBitmap.Get()))) break;
            SetMessageResult(TRUE);
            result = TRUE;
            return true;
        case WM_CTLCOLORSTATIC:
            result = reinterpret_cast<INT_PTR>(tavelin::TransparentStaticBrush(reinterpret_cast<HDC>(wParam)));
            return true;
        case WM_QUERYDRAGICON:
            result = reinterpret_cast<INT_PTR>(m_hIcon);
            return true;
        default:
            break;
    }
    return DialogBase::HandleMessage(message, wParam, lParam, result);
}

void CTavelinDlg::ShowMessage(const std::wstring& text) {
    tavelin::AppMessageBox(m_hMainWindow, text, MB_OK);
}

void CTavelinDlg::SetCaption(const std::wstring& caption) {
    m_strCaption = caption;
    SetWindowTextW(Window(), m_strCaption.c_str());
}
