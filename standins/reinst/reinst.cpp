// The restart helper. Started once by the system after the restart (a RunOnce entry), it reads the
// full path the installer left under HKLM\SOFTWARE\Tavelin, "FullPathName", and starts that program
// in the program's own folder, so that the program finds its disc beside it. It does not wait and
// does not touch the record: the program reads it and removes it once the resumed run has ended.
// The helper runs with the rights of whoever logs on; a program that needs elevation is started
// through the shell, which asks for it.
//
// Exit codes: 0 the program was started, 1 there was no recorded path, 2 the program did not start.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "install/restart_helper_start.h"
#include "install/restart_record.h"
#include "platform/handles.h"
#include "platform/registry_view_win.h"

namespace {

// Longer than any path a program can be started from.
constexpr DWORD kMaxPathBytes = 32768 * sizeof(wchar_t);

std::wstring RecordedProgramPath() {
    tavelin::UniqueKey key;
    // Where either program, 32- or 64-bit, wrote it.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, tavelin::kRestartRecordKeyPath, 0,
                      KEY_QUERY_VALUE | tavelin::RegistryViewFlag(tavelin::RegistryView::View32), key.Receive()) !=
        ERROR_SUCCESS) {
        return std::wstring();
    }
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), tavelin::kFullPathValueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size > kMaxPathBytes) {
        return std::wstring();
    }
    // Room for a terminator even when the value was stored without one.
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.Get(), tavelin::kFullPathValueName, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS) {
        return std::wstring();
    }
    return std::wstring(buffer.data());
}

std::wstring FolderOf(const std::wstring& program) {
    std::wstring folder = program;
    const std::size_t lastBackslash = folder.rfind(L'\\');
    if (lastBackslash == std::wstring::npos) {
        folder.clear();
    } else {
        folder.erase(lastBackslash == 2 && folder[1] == L':' ? lastBackslash + 1 : lastBackslash);
    }
    return folder;
}

// True when the program runs; otherwise the error CreateProcess gave.
bool CreateInItsFolder(const std::wstring& program, const std::wstring& folder, DWORD& error) {
    // The program is named exactly; the quoted copy in the command line is only its argument 0.
    const std::wstring quoted = L"\"" + program + L"\"";
    std::vector<wchar_t> commandLine(quoted.begin(), quoted.end());
    commandLine.push_back(L'\0');
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    ZeroMemory(&started, sizeof started);
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &started)) {
        error = GetLastError();
        return false;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

// The shell starts a program that asks for administrator rights, asking the user for consent.
bool StartThroughShell(const std::wstring& program, const std::wstring& folder) {
    SHELLEXECUTEINFOW info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = program.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info) != FALSE;
}

bool StartInItsFolder(const std::wstring& program) {
    const std::wstring folder = FolderOf(program);
    DWORD error = 0;
    const bool created = CreateInItsFolder(program, folder, error);
    switch (tavelin::NextHelperStartStep(created, error)) {
        case tavelin::HelperStartStep::Started: return true;
        case tavelin::HelperStartStep::StartThroughShell: return StartThroughShell(program, folder);
        case tavelin::HelperStartStep::GiveUp: return false;
    }
    return false;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const std::wstring program = RecordedProgramPath();
    if (program.empty()) return 1;
    return StartInItsFolder(program) ? 0 : 2;
}
