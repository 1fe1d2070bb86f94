#include "install/restart_record_win.h"

#include <windows.h>

#include <utility>
#include <vector>

#include "install/helper_folder_win.h"
#include "install/process_launcher_win.h"
#include "install/run_fingerprints_win.h"
#include "platform/handles.h"
#include "platform/registry_view_win.h"

namespace tavelin {

namespace {

// The record and the RunOnce entry live where the 32-bit program has always put them, so that a
// restart begun by either program is resumed by either.
constexpr REGSAM kRecordView = RegistryViewFlag(RegistryView::View32);

// Text values are stored whole, their terminating null counted in the byte length.
bool SetTextValue(HKEY key, const wchar_t* name, DWORD type, const std::wstring& text) {
    return RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

WaitingListRead Win32RestartRecordStore::ReadWaitingListValue(std::wstring& text) {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRestartRecordKeyPath, 0, KEY_READ | kRecordView, key.Receive()) !=
        ERROR_SUCCESS) {
        return WaitingListRead::KeyMissing;
    }
    // The value's size first, then the whole value; it may grow between the two calls when another
    // copy of the program rewrites it, so the read is tried again at the new size.
    for (int attempt = 0; attempt < 3; ++attempt) {
        // Any type is read as text, as it always was: a list stored by another tool still resumes.
        DWORD size = 0;
        if (RegQueryValueExW(key.Get(), kWaitingListValueName, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS ||
            size > kMaxWaitingListBytes) {
            return WaitingListRead::ValueUnreadable;
        }
        // Room for a terminator even when the value was stored without one.
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
        DWORD got = size;
        const LONG read = RegQueryValueExW(key.Get(), kWaitingListValueName, nullptr, nullptr,
                                           reinterpret_cast<BYTE*>(buffer.data()), &got);
        if (read == ERROR_MORE_DATA) continue;
        if (read != ERROR_SUCCESS) return WaitingListRead::ValueUnreadable;
        text = buffer.data();
        return WaitingListRead::Read;
    }
    return WaitingListRead::ValueUnreadable;
}

std::optional<UnattendedResume> Win32RestartRecordStore::ReadUnattendedValue() {
    // A mode and a path; anything larger was not written by the program.
    constexpr DWORD kMaxUnattendedBytes = 64 * 1024;
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRestartRecordKeyPath, 0, KEY_READ | kRecordView, key.Receive()) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), kUnattendedValueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ || size > kMaxUnattendedBytes) {
        return std::nullopt;
    }
    std::wstring data(size / sizeof(wchar_t), L'\0');
    DWORD got = size;
    if (RegQueryValueExW(key.Get(), kUnattendedValueName, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &got) !=
            ERROR_SUCCESS ||
        type != REG_MULTI_SZ) {
        return std::nullopt;
    }
    data.resize(got / sizeof(wchar_t));
    std::optional<UnattendedResume> unattended = ParseUnattendedValue(data);
    if (unattended) {
        DWORD noRestart = 0;
        DWORD noRestartSize = sizeof noRestart;
        unattended->noRestart = RegQueryValueExW(key.Get(), kNoRestartValueName, nullptr, &type,
                                                 reinterpret_cast<BYTE*>(&noRestart), &noRestartSize) == ERROR_SUCCESS &&
                                type == REG_DWORD && noRestart != 0;
    }
    return unattended;
}

std::wstring Win32RestartRecordStore::ReadDiscIdentity() {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRestartRecordKeyPath, 0, KEY_READ | kRecordView, key.Receive()) !=
        ERROR_SUCCESS) {
        return std::wstring();
    }
    // 64 digits; anything longer was not written by the program and matches no disc.
    wchar_t buffer[128] = {};
    DWORD type = 0;
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (RegQueryValueExW(key.Get(), kDiscIdentityValueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        // A value too long to be an identity still says the record belongs to some disc.
        return type == REG_SZ ? std::wstring(L"?") : std::wstring();
    }
    return buffer;
}

bool Win32RestartRecordStore::RestartPending() {
    UniqueKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRestartPendingKeyPath, 0, KEY_READ | kRecordView, key.Receive()) ==
           ERROR_SUCCESS;
}

std::wstring Win32RestartRecordStore::ReadBeginCounts() {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRestartRecordKeyPath, 0, KEY_READ | kRecordView, key.Receive()) !=
        ERROR_SUCCESS) {
        return std::wstring();
    }
    // A count for each item of a list is never larger than the list itself with its counts.
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), kBeginCountsValueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ || size > 2 * kMaxWaitingListBytes) {
        return std::wstring();
    }
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    DWORD got = size;
    if (RegQueryValueExW(key.Get(), kBeginCountsValueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &got) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::wstring();
    }
    return buffer.data();
}

bool Win32RestartRecordStore::CanChangeRecord() {
    UniqueKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRestartRecordKeyPath, 0, KEY_SET_VALUE | DELETE | kRecordView,
                         key.Receive()) == ERROR_SUCCESS;
}

namespace {

UniqueKey CreateRecordKey() {
    UniqueKey key;
    // MAXIMUM_ALLOWED is what RegCreateKeyW asks for; the Ex form is needed only to name the view.
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRestartRecordKeyPath, 0, nullptr, 0, MAXIMUM_ALLOWED | kRecordView, nullptr,
                    key.Receive(), nullptr);
    return key;
}

bool WriteListAndPath(HKEY key, const std::wstring& waitingList, const std::wstring& programPath) {
    return SetTextValue(key, kWaitingListValueName, REG_SZ, waitingList) &&
           SetTextValue(key, kFullPathValueName, REG_SZ, programPath);
}

bool DeleteValue(HKEY key, const wchar_t* name) {
    const LONG deleted = RegDeleteValueW(key, name);
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

// Its own value rather than a string of the unattended one, which ends at its first empty string
// (a run without a log file).
bool WriteNoRestart(HKEY key, bool noRestart) {
    if (!noRestart) return DeleteValue(key, kNoRestartValueName);
    const DWORD one = 1;
    return RegSetValueExW(key, kNoRestartValueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one) ==
           ERROR_SUCCESS;
}

bool WriteUnattended(HKEY key, const std::optional<UnattendedResume>& unattended) {
    if (!unattended) return DeleteValue(key, kUnattendedValueName) && DeleteValue(key, kNoRestartValueName);
    const std::wstring data = UnattendedValueData(*unattended);
    return RegSetValueExW(key, kUnattendedValueName, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size() * sizeof(wchar_t))) == ERROR_SUCCESS &&
           WriteNoRestart(key, unattended->noRestart);
}

bool WriteIdentity(HKEY key, const std::wstring& identity) {
    if (identity.empty()) return DeleteValue(key, kDiscIdentityValueName);
    return SetTextValue(key, kDiscIdentityValueName, REG_SZ, identity);
}

}  // namespace

bool DeleteRestartRecord() {
    const LONG deleted = DeleteRegistryKey(HKEY_LOCAL_MACHINE, kRestartRecordKeyPath, RegistryView::View32);
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, kRestartPendingKeyPath, RegistryView::View32);
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

Win32RestartSystem::Win32RestartSystem() : m_programPath(RunningProgramPath()) {}

Win32RestartSystem::Win32RestartSystem(std::wstring programPath) : m_programPath(std::move(programPath)) {}

std::wstring Win32RestartSystem::ProtectedHelperFolder() {
    // Held until the helper is in it, so that the folder stays the one checked while it is copied.
    m_helperFolder = PinnedFolder();
    m_helperFolder = PrepareProtectedHelperFolder();
    return m_helperFolder.Valid() ? m_helperFolder.Path() : std::wstring();
}

bool Win32RestartSystem::CopyOverFile(const std::wstring& from, const std::wstring& to) {
    // Removed first rather than copied over, so that the new file takes the folder's access list
    // and not whatever the old one carried.
    if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES) {
        SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileW(to.c_str())) return false;
    }
    const bool copied = CopyFileW(from.c_str(), to.c_str(), TRUE) != FALSE;
    m_helperFolder = PinnedFolder();
    return copied;
}

bool Win32RestartSystem::SetRunOnce(const std::wstring& commandLine) {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunOnceKeyPath, 0, KEY_ALL_ACCESS | kRecordView, key.Receive()) !=
        ERROR_SUCCESS) {
        return false;
    }
    return SetTextValue(key.Get(), kRunOnceValueName, REG_EXPAND_SZ, commandLine);
}

void Win32RestartSystem::RemoveRunOnce() {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunOnceKeyPath, 0, KEY_SET_VALUE | kRecordView, key.Receive()) ==
        ERROR_SUCCESS) {
        RegDeleteValueW(key.Get(), kRunOnceValueName);
    }
}

bool Win32RestartSystem::WriteRecord(const std::wstring& waitingList,
                                     const std::optional<UnattendedResume>& unattended) {
    const UniqueKey key = CreateRecordKey();
    return key.Valid() && WriteListAndPath(key.Get(), waitingList, m_programPath) &&
           WriteUnattended(key.Get(), unattended) && WriteRunFingerprints(key.Get(), m_fingerprints);
}

bool Win32RestartSystem::WriteDiscIdentity(const std::wstring& identity) {
    const UniqueKey key = CreateRecordKey();
    return key.Valid() && WriteIdentity(key.Get(), identity);
}

bool Win32RestartSystem::MarkRestartPending() {
    UniqueKey key;
    return RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRestartPendingKeyPath, 0, nullptr, REG_OPTION_VOLATILE,
                           KEY_WRITE | kRecordView, nullptr, key.Receive(), nullptr) == ERROR_SUCCESS;
}

bool Win32RestartSystem::WriteBeginCounts(const std::wstring& counts) {
    const UniqueKey key = CreateRecordKey();
    if (!key.Valid()) return false;
    if (counts.empty()) return DeleteValue(key.Get(), kBeginCountsValueName);
    return SetTextValue(key.Get(), kBeginCountsValueName, REG_SZ, counts);
}

bool Win32RestartSystem::DeleteRecord() { return DeleteRestartRecord(); }

// The only command the record starts is Windows' own restart command. It returns as soon as
// Windows has taken (or refused) the restart; the wait is bounded all the same, since the program
// must end with a code either way.
RestartCommandResult Win32RestartSystem::StartCommand(const std::wstring& commandLine) {
    constexpr unsigned kRestartCommandWaitMs = 30000;
    RestartCommandResult result;
    const std::unique_ptr<Win32Process> process = StartSystemProgram(commandLine);
    if (!process) return result;
    result.started = true;
    if (process->WaitSlice(kRestartCommandWaitMs) == WaitResult::Ended) result.exitCode = process->ExitCode();
    return result;
}

bool RebootWindows() {
    UniqueHandle token;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, token.Receive())) {
        TOKEN_PRIVILEGES privileges;
        ZeroMemory(&privileges, sizeof privileges);
        LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid);
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
    }
    return ExitWindowsEx(EWX_REBOOT, 0) != FALSE;
}

}  // namespace tavelin
