// The restart helper. Started once by the system after the restart (a RunOnce entry), it reads the
// full path the installer left under HKLM\SOFTWARE\Tavelin, "FullPathName", and starts that program
// in the program's own folder, so that the program finds its disc beside it. It does not wait and
// does not touch the record: the program reads it and removes it once the resumed run has ended.
// The helper runs with the rights of whoever logs on; a program that needs elevation is started
// through the shell, which asks for it.
//
// The record also keeps the SHA-256 of the program that began the run (older programs left none).
// The disc may lie on a medium others can write, and the program is started with administrator
// rights: a program that is not the one recorded is not started. The helper says so and registers
// itself to run again at the next logon, so that the run resumes once the disc is put right.
//
// Exit codes: 0 the program was started, 1 there was no recorded path, 2 the program did not start,
// 3 the program is not the one the run began with.
#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "install/restart_helper_start.h"
#include "install/restart_record.h"
#include "install/run_fingerprints.h"
#include "platform/held_file_win.h"
#include "platform/handles.h"
#include "platform/registry_view_win.h"

namespace {

// Longer than any path a program can be started from.
constexpr DWORD kMaxPathBytes = 32768 * sizeof(wchar_t);

// The record's text value of that name; empty when it is missing or not text. `found` tells a
// missing value from an empty one.
std::wstring RecordedText(const wchar_t* valueName, bool& found) {
    found = false;
    tavelin::UniqueKey key;
    // Where either program, 32- or 64-bit, wrote it.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, tavelin::kRestartRecordKeyPath, 0,
                      KEY_QUERY_VALUE | tavelin::RegistryViewFlag(tavelin::RegistryView::View32), key.Receive()) !=
        ERROR_SUCCESS) {
        return std::wstring();
    }
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return std::wstring();
    }
    found = true;
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size > kMaxPathBytes) return std::wstring();
    // Room for a terminator even when the value was stored without one, also after an odd number
    // of bytes: the last character read may be half a character.
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    if (RegQueryValueExW(key.Get(), valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS) {
        return std::wstring();
    }
    return std::wstring(buffer.data());
}

std::wstring RecordedProgramPath() {
    bool found = false;
    return RecordedText(tavelin::kFullPathValueName, found);
}

std::optional<std::wstring> RecordedProgramFingerprint() {
    bool found = false;
    std::wstring text = RecordedText(tavelin::kProgramFingerprintValueName, found);
    if (!found) return std::nullopt;
    return text;
}

// RunOnce again, as the program wrote it, so that the helper runs at the next logon once more.
void RunAgainAtNextLogon() {
    wchar_t own[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) return;
    const std::wstring command = tavelin::RunOnceCommandOf(own);
    tavelin::UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, tavelin::kRunOnceKeyPath, 0,
                      KEY_SET_VALUE | tavelin::RegistryViewFlag(tavelin::RegistryView::View32),
                      key.Receive()) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExW(key.Get(), tavelin::kRunOnceValueName, 0, REG_EXPAND_SZ,
                   reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
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
    // Held, so that it cannot be replaced, from the check until the program runs.
    const tavelin::HeldFile held = tavelin::OpenAndHash(program);
    if (tavelin::CompareFingerprint(RecordedProgramFingerprint(), held.digest) == tavelin::FingerprintCheck::Differs) {
        RunAgainAtNextLogon();
        const std::wstring text = L"The installation stopped by the restart is not resumed: " + program +
                                  L" is not the program it began with. It was not started.\n\nPut the disc the "
                                  L"installation began with back; the installation resumes at the next logon.";
        MessageBoxW(nullptr, text.c_str(), L"Tavelin", MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
        return 3;
    }
    return StartInItsFolder(program) ? 0 : 2;
}
