// A DLL that only notes who loaded it, for the program test that plants it beside setup.exe and in
// its current directories under the names of system DLLs (version.dll, uxtheme.dll, dwmapi.dll,
// setupapi.dll, comctl32.dll):
// an elevated program must take those from the system folder only.
//
// When a process loads it, it appends that process's full path and a line break (UTF-16) to the
// file "<its own path>.loaded". It runs no other code; its exports answer "nothing there".
//
// The exports are version.dll's functions, so that a program importing them still starts and the
// test sees the load instead of a failed start. <windows.h> declares them as imports; their
// declarations are renamed out of the way so that this file can define them.
#define GetFileVersionInfoSizeW DeclaredGetFileVersionInfoSizeW
#define GetFileVersionInfoW DeclaredGetFileVersionInfoW
#define VerQueryValueW DeclaredVerQueryValueW
#include <windows.h>
#undef GetFileVersionInfoSizeW
#undef GetFileVersionInfoW
#undef VerQueryValueW

namespace {

void NoteLoadingProcess(HINSTANCE self) {
    wchar_t marker[MAX_PATH + 16] = {};
    const DWORD length = GetModuleFileNameW(self, marker, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    lstrcatW(marker, L".loaded");
    wchar_t process[MAX_PATH + 2] = {};
    DWORD processLength = GetModuleFileNameW(nullptr, process, MAX_PATH);
    if (processLength >= MAX_PATH) return;
    process[processLength++] = L'\n';
    HANDLE file = CreateFileW(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, process, processLength * sizeof(wchar_t), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) NoteLoadingProcess(instance);
    return TRUE;
}

extern "C" __declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR, LPDWORD handle) {
    if (handle != nullptr) *handle = 0;
    return 0;
}

extern "C" __declspec(dllexport) BOOL WINAPI GetFileVersionInfoW(LPCWSTR, DWORD, DWORD, LPVOID) { return FALSE; }

extern "C" __declspec(dllexport) BOOL WINAPI VerQueryValueW(LPCVOID, LPCWSTR, LPVOID*, PUINT) { return FALSE; }
