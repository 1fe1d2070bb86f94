#include "app/tavelin_app.h"

#include <commctrl.h>

#include "app/tavelin_dlg.h"
#include "install/exit_code.h"
#include "ui/message_box_win.h"
#include "platform/program_path_win.h"
#include "probe/os_facts_win.h"
#include "runlog/run_log_file_win.h"
#include "runlog/utf8_text.h"
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

// A relative /log or /report path names a file in the folder the program was started from: the
// program makes the disc its current folder, and the record keeps the full path, since the run
// resumed after a restart starts from another folder.
std::wstring FullPathOf(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
    if (length == 0 || length >= size) return path;
    full.resize(length);
    return full;
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
    std::vector<std::wstring> arguments;
    for (int i = 0; i < __argc && __wargv != nullptr; ++i) {
        if (__wargv[i] != nullptr) arguments.emplace_back(__wargv[i]);
    }
    m_options = tavelin::ParseRunOptions(arguments);
    if (!m_options.logFile.empty()) m_options.logFile = FullPathOf(m_options.logFile);
    if (!m_options.logFile.empty()) tavelin::AddAppendedLogFile(*m_log, m_options.logFile);
    // The program makes its disc folder the current directory: a report named relative to where
    // it was started must land there, never on the disc.
    if (!m_options.reportFile.empty()) m_options.reportFile = FullPathOf(m_options.reportFile);
    LogProgramStart();
    if (!m_options.error.empty()) {
        m_log->Write(L"Bad switch: " + m_options.error + L"; nothing is installed");
        m_nExitCode = tavelin::kExitBadSwitch;
        m_log->Write(L"Program ends, exit code " + std::to_wstring(m_nExitCode));
        return false;
    }
    if (m_options.showUsage) {
        ShowUsage();
        m_log->Write(L"Program ends after showing its usage");
        return false;
    }
    const bool ranDialog = RunMainDialog();
    if (!ranDialog) {
        m_nExitCode = tavelin::kExitAlreadyRunning;
        m_log->Write(L"Another copy of the program is running; this one ends");
    }
    m_log->Write(L"Program ends, exit code " + std::to_wstring(m_nExitCode));
    return false;
}

void CTavelinApp::ShowUsage() {
    const std::wstring usage = tavelin::RunOptionsUsage();
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
        DWORD written = 0;
        // A console takes the text as it is; output redirected to a file or pipe gets UTF-8.
        if (!WriteConsoleW(console, usage.c_str(), static_cast<DWORD>(usage.size()), &written, nullptr)) {
            const std::string utf8 = tavelin::EncodeUtf8(usage);
            WriteFile(console, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
        }
        FreeConsole();
        return;
    }
    MessageBoxW(nullptr, usage.c_str(), tavelin::ApplicationTitle().c_str(), MB_OK | MB_ICONINFORMATION);
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

    CTavelinDlg dialog(m_hInstance, m_log, m_options);
    dialog.DoModal(nullptr);
    m_nExitCode = dialog.ExitCode();
    dialog.WriteReport(m_nExitCode);
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
