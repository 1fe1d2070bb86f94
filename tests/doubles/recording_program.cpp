// A program that only notes how it was started, for program tests that must see what the disc
// program starts (the shell, the text editor, the restart command) without starting the real
// thing. A test puts copies of it where Windows keeps the program it stands in for (explorer.exe in
// the throw-away prefix's Windows folder, notepad.exe and shutdown.exe in its system folder), and
// plants more copies beside setup.exe and in its current directory, which must never run.
//
// Writes its whole command line under HKEY_LOCAL_MACHINE\SOFTWARE\TavelinTestRecord, as the value
// "<NAME> command", NAME being its own file name without the extension, and its own full path as
// "<NAME> path", so that a test tells which copy ran, and the folder it was started in as
// "<NAME> folder"; then exits with 0. The key is in the view the
// test programs read, the 32-bit program's (platform/registry_view_win.h).
#include <windows.h>

#include <string>

#include "platform/registry_view_win.h"

namespace {

std::wstring OwnPath() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length);
}

std::wstring OwnName() {
    std::wstring name = OwnPath();
    const auto slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    const auto dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
}

void Record(HKEY key, const std::wstring& name, const std::wstring& text) {
    RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

int wmain() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TavelinTestRecord", 0, nullptr, 0,
                        KEY_SET_VALUE | tavelin::RegistryViewFlag(tavelin::RegistryView::View32), nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return 1;
    }
    // The path and the folder first: a test waits for the command and then reads them.
    Record(key, OwnName() + L" path", OwnPath());
    wchar_t folder[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH + 1, folder);
    Record(key, OwnName() + L" folder", folder);
    Record(key, OwnName() + L" command", GetCommandLineW());
    RegCloseKey(key);
    return 0;
}
