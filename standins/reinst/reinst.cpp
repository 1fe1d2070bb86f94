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
// The recorded program may be missing: the disc is not in its drive, or it has another letter now.
// The helper then looks for it at the same path on every other drive, taking only the record's
// disc (its catalogue's identity, and the program's SHA-256 when recorded), and starts it from
// there; the program finds its record by the disc's identity and rewrites the path itself. When
// the disc is nowhere, the user is asked to insert it (Retry looks again); Cancel leaves the run to
// the next logon. A run that was unattended asks nobody: a logon on a managed machine must not
// hang on a question; the helper registers itself for the next logon and ends.
//
// Exit codes (install/restart_helper_start.h): 0 the program was started, 1 there was no recorded
// path, 2 the program did not start, 3 the program is not the one the run began with, 4 the disc
// was not found and the user cancelled, 5 the disc was not found and nobody was asked.
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

// Whether the run that wrote the record was unattended: its UnattendedRun value holds a mode this
// helper knows, as the program reads it.
bool RecordedRunWasUnattended() {
    tavelin::UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, tavelin::kRestartRecordKeyPath, 0,
                      KEY_QUERY_VALUE | tavelin::RegistryViewFlag(tavelin::RegistryView::View32), key.Receive()) !=
        ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), tavelin::kUnattendedValueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ || size > kMaxPathBytes) {
        return false;
    }
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.Get(), tavelin::kUnattendedValueName, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&data[0]), &size) != ERROR_SUCCESS) {
        return false;
    }
    return tavelin::ParseUnattendedValue(data).has_value();
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The record's disc at the recorded program's path on another drive; empty when no drive holds it.
std::wstring FindDiscOnOtherDrives(const std::wstring& program) {
    bool found = false;
    const std::wstring identity = RecordedText(tavelin::kDiscIdentityValueName, found);
    const std::optional<std::wstring> recordedProgram = RecordedProgramFingerprint();
    for (const std::wstring& candidate : tavelin::PathsOnOtherDrives(program, GetLogicalDrives())) {
        if (!IsFile(candidate)) continue;
        const std::optional<tavelin::Sha256Digest> catalogue =
            tavelin::FileSha256(candidate.substr(0, candidate.rfind(L'\\')) + L"\\Lib\\TAVELIN.INI");
        const tavelin::CandidateVerdict verdict = tavelin::JudgeCandidate(
            identity, catalogue ? tavelin::Sha256Text(*catalogue) : std::wstring(), recordedProgram,
            recordedProgram ? tavelin::FileSha256(candidate) : std::nullopt);
        if (verdict == tavelin::CandidateVerdict::SameDisc) return candidate;
    }
    return std::wstring();
}

bool AskToInsertDisc(const std::wstring& program) {
    const std::wstring text = L"Insert the disc the installation was started from, so that it can go on:\n\n    " +
                              program +
                              L"\n\nRetry looks for the disc again in every drive. Cancel leaves the installation "
                              L"to the next logon.";
    return MessageBoxW(nullptr, text.c_str(), L"Tavelin", MB_RETRYCANCEL | MB_ICONWARNING | MB_SETFOREGROUND) == IDRETRY;
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
    // An empty drive among those searched must not make Windows ask about it.
    SetErrorMode(SEM_FAILCRITICALERRORS);
    const std::wstring recorded = RecordedProgramPath();
    if (recorded.empty()) return tavelin::kHelperNoRecord;
    std::wstring program = recorded;
    const bool unattended = RecordedRunWasUnattended();
    for (bool located = false; !located;) {
        const bool there = IsFile(recorded);
        const std::wstring found = there ? std::wstring() : FindDiscOnOtherDrives(recorded);
        switch (tavelin::NextHelperDiscStep(there, !found.empty(), unattended)) {
            case tavelin::HelperDiscStep::StartRecorded:
                located = true;
                break;
            case tavelin::HelperDiscStep::StartFound:
                program = found;
                located = true;
                break;
            case tavelin::HelperDiscStep::AskToInsert:
                if (AskToInsertDisc(recorded)) break;
                RunAgainAtNextLogon();
                return tavelin::kHelperDiscCancelled;
            case tavelin::HelperDiscStep::WaitForNextLogon:
                RunAgainAtNextLogon();
                return tavelin::kHelperDiscNotFoundUnattended;
        }
    }
    // Held, so that it cannot be replaced, from the check until the program runs.
    const tavelin::HeldFile held = tavelin::OpenAndHash(program);
    if (tavelin::CompareFingerprint(RecordedProgramFingerprint(), held.digest) == tavelin::FingerprintCheck::Differs) {
        RunAgainAtNextLogon();
        const std::wstring text = L"The installation stopped by the restart is not resumed: " + program +
                                  L" is not the program it began with. It was not started.\n\nPut the disc the "
                                  L"installation began with back; the installation resumes at the next logon.";
        MessageBoxW(nullptr, text.c_str(), L"Tavelin", MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
        return tavelin::kHelperOtherProgram;
    }
    return StartInItsFolder(program) ? tavelin::kHelperStarted : tavelin::kHelperStartFailed;
}
