#include "driver/recorded_starts.h"

#include "driver/test_registry.h"

namespace tavelin::testing {

namespace {

const wchar_t kRecordKey[] = L"SOFTWARE\\TavelinTestRecord";

std::wstring ValueNameOf(const std::wstring& programName) { return programName + L" command"; }

}  // namespace

void PlaceRecorderAs(const TestDisc& disc, const std::wstring& fileName) {
    disc.CopyIn(PathFromEnvironment("TAVELIN_BUILD_DIR") + L"\\doubles\\recording_program.exe", fileName);
    const auto dot = fileName.find_last_of(L'.');
    ForgetRecordedStart(dot == std::wstring::npos ? fileName : fileName.substr(0, dot));
}

void ForgetRecordedStart(const std::wstring& programName) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRecordKey, 0, KEY_SET_VALUE | RegistryViewFlag(RegistryView::View32), &key) ==
        ERROR_SUCCESS) {
        RegDeleteValueW(key, ValueNameOf(programName).c_str());
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
