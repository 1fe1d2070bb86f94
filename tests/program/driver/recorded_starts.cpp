#include "driver/recorded_starts.h"

#include "driver/test_registry.h"

namespace tavelin::testing {

namespace {

const wchar_t kRecordKey[] = L"SOFTWARE\\TavelinTestRecord";

std::wstring ValueNameOf(const std::wstring& programName) { return programName + L" command"; }
std::wstring PathValueNameOf(const std::wstring& programName) { return programName + L" path"; }

std::wstring RecorderPath() { return PathFromEnvironment("TAVELIN_BUILD_DIR") + L"\\doubles\\recording_program.exe"; }

std::wstring NameWithoutExtension(const std::wstring& fileName) {
    const auto slash = fileName.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? fileName : fileName.substr(slash + 1);
    const auto dot = name.find_last_of(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

}  // namespace

void PlaceRecorderAs(const TestDisc& disc, const std::wstring& fileName) {
    disc.CopyIn(RecorderPath(), fileName);
    ForgetRecordedStart(NameWithoutExtension(fileName));
}

bool PlaceRecorderAt(const std::wstring& fullPath) {
    // Over a system program of the throw-away prefix too: it may be read-only.
    SetFileAttributesW(fullPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    const bool copied = CopyFileW(RecorderPath().c_str(), fullPath.c_str(), FALSE) != FALSE;
    ForgetRecordedStart(NameWithoutExtension(fullPath));
    return copied;
}

std::wstring WindowsFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    GetWindowsDirectoryW(folder, MAX_PATH + 1);
    return folder;
}

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    GetSystemDirectoryW(folder, MAX_PATH + 1);
    return folder;
}

std::wstring SystemFolderAsRunFrom() {
    BOOL underWow64 = FALSE;
    if (IsWow64Process(GetCurrentProcess(), &underWow64) && underWow64) {
        wchar_t folder[MAX_PATH + 1] = {};
        if (GetSystemWow64DirectoryW(folder, MAX_PATH + 1) != 0) return folder;
    }
    return SystemFolder();
}

void ForgetRecordedStart(const std::wstring& programName) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRecordKey, 0, KEY_SET_VALUE | RegistryViewFlag(RegistryView::View32), &key) ==
        ERROR_SUCCESS) {
        RegDeleteValueW(key, ValueNameOf(programName).c_str());
        RegDeleteValueW(key, PathValueNameOf(programName).c_str());
        RegCloseKey(key);
    }
}

std::wstring WaitForRecordedStart(const std::wstring& programName, DWORD timeoutMs) {
    for (DWORD waited = 0;; waited += 50) {
        const std::wstring command = ReadRegistryString(kRecordKey, ValueNameOf(programName).c_str());
        if (command != L"<no key>" && command != L"<no value>") return command;
        if (waited >= timeoutMs) return std::wstring();
        Sleep(50);
    }
}

}  // namespace tavelin::testing

namespace tavelin::testing {

std::wstring RecordedStartPath(const std::wstring& programName) {
    const std::wstring path = ReadRegistryString(kRecordKey, PathValueNameOf(programName).c_str());
    return path == L"<no key>" || path == L"<no value>" ? std::wstring() : path;
}

bool SamePath(const std::wstring& a, const std::wstring& b) { return !a.empty() && lstrcmpiW(a.c_str(), b.c_str()) == 0; }

}  // namespace tavelin::testing
