#include "device_match_win.h"

#include <windows.h>
#include <setupapi.h>

#include <vector>

namespace standin {
namespace {

std::wstring UpperCase(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Character by character after upper-casing, as Plug and Play compares ids. A linguistic
// comparison would not do: it passes over characters without sort weight (soft hyphen, zero-width
// no-break space), so an id with a stray one of them would match a device it does not name.
bool EqualsIgnoringCase(const wchar_t* a, const std::wstring& upperB) {
    return UpperCase(a) == upperB;
}

bool PropertyListContains(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property, const std::wstring& upperId) {
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
        if (EqualsIgnoringCase(entry, upperId)) return true;
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
    const std::wstring upperId = UpperCase(id);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    for (DWORD index = 0; SetupDiEnumDeviceInfo(devices.Get(), index, &device); ++index) {
        if (PropertyListContains(devices.Get(), device, SPDRP_HARDWAREID, upperId) ||
            PropertyListContains(devices.Get(), device, SPDRP_COMPATIBLEIDS, upperId)) {
            return true;
        }
    }
    return false;
}

}  // namespace standin
