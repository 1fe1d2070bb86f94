#include "app/tavelin_dlg.h"

#include "ui/about_dlg.h"
#include "ui/resource.h"
#include "ui/skin_paint.h"

CTavelinDlg::CTavelinDlg(HINSTANCE instance, std::shared_ptr<tavelin::RunLog> log, tavelin::RunOptions options)
    : DialogBase(instance, IDD_TAVELIN_DIALOG),
      m_options(std::move(options)),
      m_hIcon(LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_log(log ? std::move(log) : std::make_shared<tavelin::RunLog>()),
      m_windowMessages(m_hMainWindow),
      m_messages(*m_log, m_windowMessages) {}

CTavelinDlg::~CTavelinDlg() {
    // A second unload after the quit path finds nothing loaded and does nothing.
    UnloadVendorLibraries();
}

void CTavelinDlg::OnDestroy() {
    // A run still going on when the window closes carries on with its own copy of the catalogue
    // but no longer reports to this window.
    m_worker.Detach();
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
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && HandleCommand(LOWORD(wParam))) {
                result = TRUE;
                return true;
            }
            break;
        case WM_NOTIFY: {
            LRESULT notifyResult = 0;
            if (HandleNotify(reinterpret_cast<const NMHDR*>(lParam), notifyResult)) {
                SetMessageResult(notifyResult);
                result = TRUE;
                return true;
            }
            break;
        }
        case WM_SYSCOMMAND:
            if (OnSysCommand(wParam)) {
                result = TRUE;
                return true;
            }
            break;
        case WM_TIMER:
            if (wParam == tavelin::kProgressTimerId) OnProgressTimer();
            result = TRUE;
            return true;
        case tavelin::kUmInternal:
            OnInternalMessage(wParam);
            SetMessageResult(1);
            result = TRUE;
            return true;
        case WM_QUERYENDSESSION:
            OnQueryEndSession(lParam);
            // Never refused: see OnQueryEndSession.
            SetMessageResult(TRUE);
            result = TRUE;
            return true;
        case WM_ENDSESSION:
            OnEndSession(wParam != FALSE, lParam);
            SetMessageResult(0);
            result = TRUE;
            return true;
        case WM_WINDOWPOSCHANGING:
            // A run without a window stays without one, whatever asks to show it.
            if (KeptHidden()) reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
            break;
        case WM_SYSCOLORCHANGE:
            // Only top-level windows hear of new system colours; the list repaints with them.
            SendMessageW(m_list.Window(), WM_SYSCOLORCHANGE, 0, 0);
            break;
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
    m_messages.ShowMessage(text);
}

bool CTavelinDlg::AskYesNo(const std::wstring& question, UINT icon, bool unattendedAnswer) {
    Log().Write(L"Question: " + question);
    if (Unattended()) {
        Log().Write(unattendedAnswer ? L"Answer: Yes (unattended)" : L"Answer: No (unattended)");
        return unattendedAnswer;
    }
    const bool yes = tavelin::AppMessageBox(m_hMainWindow, question, MB_YESNO | icon) == IDYES;
    Log().Write(yes ? L"Answer: Yes" : L"Answer: No");
    return yes;
}

void CTavelinDlg::SetCaption(const std::wstring& caption) {
    m_strCaption = caption;
    SetWindowTextW(Window(), m_strCaption.c_str());
}

void CTavelinDlg::EnableRunButtons(bool enable) {
    for (int id : {IDC_DEFAULT, IDC_START, IDC_ADVANCE}) EnableWindow(Item(id), enable ? TRUE : FALSE);
}
