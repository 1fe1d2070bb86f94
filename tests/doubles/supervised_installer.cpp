// An installer for the supervision tests: one that hands its work to a child and exits at once,
// one that never ends (with a visible window, as an installer waiting on a dialog nobody sees),
// one that checks what an earlier installer left, and a stand-in for another installation that
// holds Windows Installer.
//
//   supervised_installer.exe [/exit CODE] ACTION...
//
// Actions, in the order given; each notes what it did in the key
// HKEY_LOCAL_MACHINE\SOFTWARE\TavelinTestRecord (the 32-bit program's view, as
// recording_program.exe does):
//   /child SECONDS NAME   starts a copy of itself with "/work SECONDS NAME" and goes on at once
//   /work SECONDS NAME    notes its process id as "NAME pid", works SECONDS, then notes NAME = "ended"
//   /expect NAME          notes "NAME at start" = the value NAME had when it started, or "missing"
//   /hang-child NAME      starts a copy of itself with "/hang NAME-child" and goes on at once
//   /hang NAME            notes "NAME pid", shows a window titled "Tavelin test installer NAME" and
//                         never ends
//   /hold-msi SECONDS     owns the mutex Global\_MSIExecute for SECONDS, noting "msi" = "held",
//                         then "released"
// Ends with CODE (0 unless /exit says otherwise).
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "platform/registry_view_win.h"

namespace {

constexpr REGSAM kView = tavelin::RegistryViewFlag(tavelin::RegistryView::View32);
constexpr wchar_t kRecordKey[] = L"SOFTWARE\\TavelinTestRecord";

void Note(const std::wstring& name, const std::wstring& text) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRecordKey, 0, nullptr, 0, KEY_SET_VALUE | kView, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

std::wstring Noted(const std::wstring& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRecordKey, 0, KEY_QUERY_VALUE | kView, &key) != ERROR_SUCCESS) return L"missing";
    wchar_t data[256] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    const LONG result = RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::wstring(data) : L"missing";
}

std::wstring OwnPath() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length);
}

bool StartCopy(const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + OwnPath() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        return false;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

void NotePid(const std::wstring& name) { Note(name + L" pid", std::to_wstring(GetCurrentProcessId())); }

[[noreturn]] void Hang(const std::wstring& name) {
    NotePid(name);
    const std::wstring title = L"Tavelin test installer " + name;
    HWND window = CreateWindowExW(0, L"STATIC", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 120,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    (void)window;
    for (;;) {
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
        Sleep(1000);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int exitCode = 0;
    for (int i = 1; i < argc; ++i) {
        const std::wstring action = argv[i];
        auto next = [&]() -> std::wstring { return i + 1 < argc ? argv[++i] : L""; };
        if (action == L"/exit") {
            exitCode = static_cast<int>(std::wcstol(next().c_str(), nullptr, 0));
        } else if (action == L"/child") {
            const std::wstring seconds = next();
            if (!StartCopy(L"/work " + seconds + L" " + next())) return 2;
        } else if (action == L"/work") {
            const DWORD seconds = std::wcstoul(next().c_str(), nullptr, 10);
            const std::wstring name = next();
            NotePid(name);
            Sleep(seconds * 1000);
            Note(name, L"ended");
        } else if (action == L"/expect") {
            const std::wstring name = next();
            Note(name + L" at start", Noted(name));
        } else if (action == L"/hang-child") {
            if (!StartCopy(L"/hang " + next() + L"-child")) return 2;
        } else if (action == L"/hang") {
            Hang(next());
        } else if (action == L"/hold-msi") {
            const DWORD seconds = std::wcstoul(next().c_str(), nullptr, 10);
            HANDLE mutex = CreateMutexW(nullptr, TRUE, L"Global\\_MSIExecute");
            if (mutex == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) return 3;
            Note(L"msi", L"held");
            Sleep(seconds * 1000);
            // Noted before the release: whoever sees the mutex free finds "released" already.
            Note(L"msi", L"released");
            ReleaseMutex(mutex);
            CloseHandle(mutex);
        } else {
            return 1;
        }
    }
    return exitCode;
}
