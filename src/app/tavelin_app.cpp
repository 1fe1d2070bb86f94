#include "app/tavelin_app.h"

#include <commctrl.h>

#include "app/tavelin_dlg.h"
#include "probe/os_facts_win.h"

namespace {
const wchar_t kMainWindowClass[] = L"CTavelinDlg";
const wchar_t kInstanceMutexName[] = L"Tave-Lin";
}  // namespace

bool CTavelinApp::InitInstance() {
    tavelin::LookUpOptionalEntryPoints();

    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);  // 8
    controls.dwICC = 0xFF;               // list view, tree view, bar, tab, up-down, progress, hot key, animate
    InitCommonControlsEx(&controls);

    RegisterMainWindowClass();

    if (!TakeSingleInstanceGuard()) return false;

    CTavelinDlg dialog(m_hInstance);
    dialog.DoModal(nullptr);
    return false;
}

bool CTavelinApp::RegisterMainWindowClass() {
    // The main dialog template names this class: the standard dialog class under our own name, so
    // that other programs (and the tests) can find the window by class.
    WNDCLASSW dialogClass = {};
    if (!GetClassInfoW(m_hInstance, L"#32770", &dialogClass)) return false;
    dialogClass.lpszClassName = kMainWindowClass;
    dialogClass.hInstance = m_hInstance;
    return RegisterClassW(&dialogClass) != 0;
}

bool CTavelinApp::TakeSingleInstanceGuard() {
    tavelin::UniqueHandle existing(OpenMutexW(0, FALSE, kInstanceMutexName));
    if (existing) return false;
    m_hInstanceMutex.Reset(CreateMutexW(nullptr, TRUE, kInstanceMutexName));
    if (GetLastError() == ERROR_ALREADY_EXISTS) return false;
    return true;
}
