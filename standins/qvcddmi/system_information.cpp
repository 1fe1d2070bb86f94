#include "system_information.h"

#include <windows.h>

#include <vector>

#include "probe/vendor_protocol.h"
#include "smbios_table.h"

namespace standin {
namespace {

using GetSystemFirmwareTableFunction = UINT(WINAPI*)(DWORD provider, DWORD tableId, void* buffer, DWORD size);

constexpr DWORD kRawSmbiosProvider = 0x52534D42;  // 'RSMB'
constexpr std::size_t kRawSmbiosHeaderSize = 8;   // calling method, major, minor, revision, length

struct RawSmbios {
    bool available = false;
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
    std::vector<std::uint8_t> table;
};

RawSmbios ReadRawSmbios() {
    RawSmbios raw;
    const auto getSystemFirmwareTable = reinterpret_cast<GetSystemFirmwareTableFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemFirmwareTable")));
    if (getSystemFirmwareTable == nullptr) return raw;
    const UINT size = getSystemFirmwareTable(kRawSmbiosProvider, 0, nullptr, 0);
    if (size <= kRawSmbiosHeaderSize) return raw;
    std::vector<std::uint8_t> buffer(size);
    if (getSystemFirmwareTable(kRawSmbiosProvider, 0, buffer.data(), size) != size) return raw;
    DWORD tableLength = 0;
    memcpy(&tableLength, buffer.data() + 4, sizeof(tableLength));
    if (tableLength > size - kRawSmbiosHeaderSize) tableLength = static_cast<DWORD>(size - kRawSmbiosHeaderSize);
    raw.available = true;
    raw.major = buffer[1];
    raw.minor = buffer[2];
    raw.table.assign(buffer.begin() + kRawSmbiosHeaderSize, buffer.begin() + kRawSmbiosHeaderSize + tableLength);
    return raw;
}

std::string WideToAnsi(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), ansi.data(), size, nullptr, nullptr);
    return ansi;
}

std::string BiosKeyText(HKEY biosKey, const wchar_t* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(biosKey, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) return {};
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(biosKey, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value.data()), &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    value.resize(wcsnlen(value.c_str(), value.size()));
    return WideToAnsi(value);
}

void ReadBiosKey(SystemInformation& information) {
    HKEY biosKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\BIOS", 0, KEY_QUERY_VALUE, &biosKey) !=
        ERROR_SUCCESS) {
        return;
    }
    information.productName = BiosKeyText(biosKey, L"SystemProductName");
    information.manufacturer = BiosKeyText(biosKey, L"SystemManufacturer");
    information.version = BiosKeyText(biosKey, L"SystemVersion");
    information.serialNumber.clear();  // the BIOS key does not carry it
    RegCloseKey(biosKey);
    if (!information.productName.empty()) information.source = tavelin::vendor::kModelSourceRegistry;
}

}  // namespace

SystemInformation GatherSystemInformation() {
    SystemInformation information;
    const RawSmbios raw = ReadRawSmbios();
    if (raw.available) {
        information.smbiosMajor = raw.major;
        information.smbiosMinor = raw.minor;
        const SmbiosSystemStrings strings = FindSystemStrings(raw.table);
        if (!strings.productName.empty()) {
            information.source = tavelin::vendor::kModelSourceSmbios;
            information.smbiosHandle = strings.handle;
            information.manufacturer = strings.manufacturer;
            information.productName = strings.productName;
            information.version = strings.version;
            information.serialNumber = strings.serialNumber;
            return information;
        }
    }
    ReadBiosKey(information);
    return information;
}

}  // namespace standin
