#include "install/restart_record_win.h"

#include <windows.h>

#include <utility>

#include "install/process_launcher_win.h"
#include "platform/handles.h"
#include "platform/registry_view_win.h"

namespace tavelin {

namespace {

// The record and the RunOnce entry live where the 32-bit program has always put them, so that a
// restart begun by either program is resumed by either.
constexpr REGSAM kRecordView = RegistryViewFlag(RegistryView::View32);

// Text values are stored whole, their terminating null counted in the byte length.
void SetTextValue(HKEY key, const wchar_t* name, DWORD type, const std::wstring& text) {
    RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

WaitingListRead Win32RestartRecordStore::ReadWaitingListValue(std::wstring& text) {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRestartRecordKeyPath, 0, KEY_READ | kRecordView, key.Receive()) !=
        ERROR_SUCCESS) {
        return WaitingListRead::KeyMissing;
    }
    // One character more than the system may fill, so that a value stored without its null still
    // ends inside the buffer.
    wchar_t buffer[kWaitingListBufferBytes / sizeof(wchar_t) + 1] = {};
    DWORD size = kWaitingListBufferBytes;
    if (RegQueryValueExW(key.Get(), kWaitingListValueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                         &size) != ERROR_SUCCESS) {
        return WaitingListRead::ValueUnreadable;
    }
    text = buffer;
    return WaitingListRead::Read;
}

void Win32RestartRecordStore::DeleteRecord() {
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, kRestartRecordKeyPath, RegistryView::View32);
}

Win32RestartSystem::Win32RestartSystem() : m_programPath(RunningProgramPath()) {}

Win32RestartSystem::Win32RestartSystem(std::wstring programPath) : m_programPath(std::move(programPath)) {}

std::wstring Win32RestartSystem::TempPath() {
    wchar_t path[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, path);
    return path;
}

bool Win32RestartSystem::CreateFolder(const std::wstring& folder) {
    return CreateDirectoryW(folder.c_str(), nullptr) != FALSE;
}

void Win32RestartSystem::CopyFileIfAbsent(const std::wstring& from, const std::wstring& to) {
    CopyFileW(from.c_str(), to.c_str(), TRUE);
}

void Win32RestartSystem::SetRunOnce(const std::wstring& commandLine) {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunOnceKeyPath, 0, KEY_ALL_ACCESS | kRecordView, key.Receive()) !=
        ERROR_SUCCESS) {
        return;
    }
    SetTextValue(key.Get(), kRunOnceValueName, REG_EXPAND_SZ, commandLine);
}

void Win32RestartSystem::WriteRecord(const std::wstring& waitingList) {
    UniqueKey key;
    // MAXIMUM_ALLOWED is what RegCreateKeyW asks for; the Ex form is needed only to name the view.
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRestartRecordKeyPath, 0, nullptr, 0, MAXIMUM_ALLOWED | kRecordView,
                        nullptr, key.Receive(), nullptr) != ERROR_SUCCESS) {
        return;
    }
    SetTextValue(key.Get(), kWaitingListValueName, REG_SZ, waitingList);
    SetTextValue(key.Get(), kFullPathValueName, REG_SZ, m_programPath);
}

// The only command the record starts is Windows' own restart command.
void Win32RestartSystem::StartCommand(const std::wstring& commandLine) { StartSystemProgram(commandLine); }

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
