// An installer for the supervision tests: one that hands its work to a child and exits at once,
// one that never ends (with a visible window, as an installer waiting on a dialog nobody sees),
// one that checks what an earlier installer left, one that leaves a resident program running,
// and a stand-in for another installation that holds Windows Installer.
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
//   /resident NAME WHERE  as an installer whose last act starts its tray utility: copies itself to
//                         NAME.exe beside itself, registers that copy with "/idle NAME" to start at
//                         every logon (value NAME of the Run key of WHERE: machine32 and machine64,
//                         the machine's in that registry view, or user, the current user's), starts
//                         it and goes on at once
//   /leave NAME           the same copy started without registering it, as a hand-off child
//   /idle NAME            notes "NAME pid" and waits for ever, without a window
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

bool StartCommand(std::wstring commandLine) {
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

bool StartCopy(const std::wstring& arguments) { return StartCommand(L"\"" + OwnPath() + L"\" " + arguments); }

void NotePid(const std::wstring& name) { Note(name + L" pid", std::to_wstring(GetCurrentProcessId())); }

// NAME.exe beside this program, a copy of it; empty when it could not be made.
std::wstring CopyBeside(const std::wstring& name) {
    const std::wstring own = OwnPath();
    const std::wstring copy = own.substr(0, own.find_last_of(L'\\') + 1) + name + L".exe";
    return CopyFileW(own.c_str(), copy.c_str(), FALSE) ? copy : std::wstring();
}

bool RegisterAtLogon(const std::wstring& name, const std::wstring& where, const std::wstring& command) {
    HKEY root = HKEY_LOCAL_MACHINE;
    REGSAM view = 0;
    if (where == L"machine32") {
        view = tavelin::RegistryViewFlag(tavelin::RegistryView::View32);
    } else if (where == L"machine64") {
        view = tavelin::RegistryViewFlag(tavelin::RegistryView::View64);
    } else if (where == L"user") {
        root = HKEY_CURRENT_USER;
    } else {
        return false;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0, nullptr, 0,
                        KEY_SET_VALUE | view, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG set = RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                    static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return set == ERROR_SUCCESS;
}

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
        } else if (action == L"/resident" || action == L"/leave") {
            const std::wstring name = next();
            const std::wstring copy = CopyBeside(name);
            const std::wstring command = L"\"" + copy + L"\" /idle " + name;
            if (copy.empty()) return 2;
            if (action == L"/resident" && !RegisterAtLogon(name, next(), command)) return 2;
            if (!StartCommand(command)) return 2;
        } else if (action == L"/idle") {
            NotePid(next());
            Sleep(INFINITE);
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
