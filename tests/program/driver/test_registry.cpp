#include "driver/test_registry.h"

#include "platform/handles.h"

namespace tavelin::testing {

namespace {
constexpr REGSAM kProgramView = RegistryViewFlag(RegistryView::View32);
}  // namespace

void SetRegistryString(const std::wstring& path, const wchar_t* name, const std::wstring& value, DWORD type,
                       REGSAM view) {
    UniqueKey key;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, key.Receive(),
                    nullptr);
    RegSetValueExW(key.Get(), name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void DeleteRegistryValue(const std::wstring& path, const wchar_t* name) {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE | kProgramView, key.Receive()) ==
        ERROR_SUCCESS) {
        RegDeleteValueW(key.Get(), name);
    }
}

std::wstring ReadRegistryString(const std::wstring& path, const wchar_t* name, DWORD* type) {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | kProgramView, key.Receive()) != ERROR_SUCCESS) {
        return L"<no key>";
    }
    wchar_t buffer[512] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    if (RegQueryValueExW(key.Get(), name, nullptr, type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) {
        return L"<no value>";
    }
    return buffer;
}

bool RegistryKeyExists(const std::wstring& path) {
    UniqueKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | kProgramView, key.Receive()) == ERROR_SUCCESS;
}

void ForgetPendingRestart() {
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TavelinRestartPending", RegistryView::View32);
}

void CreateRegistryKey(const std::wstring& path) {
    UniqueKey key;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE | kProgramView, nullptr, key.Receive(),
                    nullptr);
}

void AddDevice(const std::wstring& device, const std::wstring& instance, const std::wstring& classGuid,
               const std::wstring& hardwareIds, const std::wstring& driver) {
    const std::wstring path = L"SYSTEM\\CurrentControlSet\\Enum\\" + device + L"\\" + instance;
    SetRegistryString(path, L"ClassGUID", classGuid);
    SetRegistryString(path, L"HardwareID", hardwareIds + L'\0', REG_MULTI_SZ);
    if (!driver.empty()) SetRegistryString(path, L"Driver", driver);
}

void AddDeviceWithDriver(const std::wstring& shortId, const std::wstring& classGuid, const std::wstring& version,
                         const std::wstring& date, const std::wstring& provider) {
    const std::wstring device = shortId + L"&SUBSYS_30AA103C&REV_03";
    AddDevice(device, L"3&21436425&0&10", classGuid, device + L'\0' + shortId, classGuid + L"\\0000");
    const std::wstring classKey = L"SYSTEM\\CurrentControlSet\\Control\\Class\\" + classGuid + L"\\0000";
    SetRegistryString(classKey, L"DriverVersion", version);
    SetRegistryString(classKey, L"DriverDate", date);
    SetRegistryString(classKey, L"ProviderName", provider);
}

}  // namespace tavelin::testing
