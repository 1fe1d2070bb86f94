#include "device_match_win.h"

#include <windows.h>
#include <setupapi.h>

#include <vector>

namespace standin {
namespace {

// Hardware ids are ASCII; the invariant locale keeps the comparison the same on every system.
bool EqualsIgnoringCase(const wchar_t* a, const std::wstring& b) {
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a, -1, b.c_str(), static_cast<int>(b.size())) ==
           CSTR_EQUAL;
}

bool PropertyListContains(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property, const std::wstring& id) {
    DWORD size = 0;
    SetupDiGetDeviceRegistryPropertyW(devices, &device, property, nullptr, nullptr, 0, &size);
    if (size == 0) return false;
    // Room for two extra terminators: a value stored without its final NULs still ends safely.
    std::vector<wchar_t> list(size / sizeof(wchar_t) + 2, L'\0');
    if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, property, nullptr,
                                           reinterpret_cast<BYTE*>(list.data()), size, nullptr)) {
        return false;
    }
    for (const wchar_t* entry = list.data(); *entry != L'\0'; entry += lstrlenW(entry) + 1) {
        if (EqualsIgnoringCase(entry, id)) return true;
    }
    return false;
}

class DeviceList {
public:
    DeviceList() : m_devices(SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT)) {}
    ~DeviceList() {
        if (m_devices != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(m_devices);
    }
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;
    HDEVINFO Get() const { return m_devices; }

private:
    HDEVINFO m_devices;
};

}  // namespace

bool IsDeviceWithIdPresent(const std::wstring& id) {
    if (id.empty()) return false;
    DeviceList devices;
    if (devices.Get() == INVALID_HANDLE_VALUE) return false;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    for (DWORD index = 0; SetupDiEnumDeviceInfo(devices.Get(), index, &device); ++index) {
        if (PropertyListContains(devices.Get(), device, SPDRP_HARDWAREID, id) ||
            PropertyListContains(devices.Get(), device, SPDRP_COMPATIBLEIDS, id)) {
            return true;
        }
    }
    return false;
}

}  // namespace standin
