#include "app/tavelin_app.h"

#include <commctrl.h>

#include "app/tavelin_dlg.h"
#include "platform/program_path_win.h"
#include "probe/os_facts_win.h"
#include "runlog/run_log_file_win.h"
#include "ui/module_version.h"

namespace {
const wchar_t kMainWindowClass[] = L"CTavelinDlg";
const wchar_t kInstanceMutexName[] = L"Tave-Lin";

#if defined(_WIN64)
const wchar_t kProgramArchitecture[] = L"x64";
#else
const wchar_t kProgramArchitecture[] = L"x86";
#endif

std::wstring FolderOf(const std::wstring& path) {
    const auto lastBackslash = path.rfind(L'\\');
    return lastBackslash == std::wstring::npos ? std::wstring() : path.substr(0, lastBackslash);
}

// "1,0,0,0" as the resource gives it, written as versions are read: "1.0.0.0".
std::wstring DottedVersion(std::wstring version) {
    for (wchar_t& c : version) {
        if (c == L',') c = L'.';
    }
    return version.empty() ? L"unknown" : version;
}

}  // namespace

bool CTavelinApp::InitInstance() {
    // First of all, so that the log has every later step; the disc's folder is never written to.
    m_log = tavelin::StartRunLog(FolderOf(tavelin::RunningProgramPath()));
    LogProgramStart();
    const bool ranDialog = RunMainDialog();
    m_log->Write(ranDialog ? L"Program ends" : L"Another copy of the program is running; this one ends");
    return false;
}

void CTavelinApp::LogProgramStart() {
    const tavelin::ModuleVersion version(m_hInstance);
    m_log->Write(L"Tavelin setup " + DottedVersion(version.m_strProductVersion) + L", " + kProgramArchitecture +
                 L" program, process " + std::to_wstring(GetCurrentProcessId()));
    m_log->Write(L"Program: " + tavelin::RunningProgramPath());
    m_log->Write(L"Command line: " + std::wstring(GetCommandLineW()));
}

bool CTavelinApp::RunMainDialog() {
    tavelin::LookUpOptionalEntryPoints();

    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);  // 8
    controls.dwICC = 0xFF;               // list view, tree view, bar, tab, up-down, progress, hot key, animate
    InitCommonControlsEx(&controls);

    RegisterMainWindowClass();

    if (!TakeSingleInstanceGuard()) return false;

    CTavelinDlg dialog(m_hInstance, m_log);
    dialog.DoModal(nullptr);
    return true;
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
