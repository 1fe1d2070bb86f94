#include "device_match_win.h"

#include <windows.h>
#include <setupapi.h>

#include <mutex>
#include <unordered_set>
#include <vector>

namespace standin {
namespace {

// Ids are compared character by character after upper-casing, as Plug and Play compares them. A
// linguistic comparison would not do: it passes over characters without sort weight (soft hyphen,
// zero-width no-break space), so an id with a stray one of them would match a device it does not name.
std::wstring UpperCase(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Appends every entry of a multi-string property of the device, upper-cased.
void AddPropertyEntries(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property,
                        std::unordered_set<std::wstring>& ids) {
    DWORD size = 0;
    SetupDiGetDeviceRegistryPropertyW(devices, &device, property, nullptr, nullptr, 0, &size);
    if (size == 0) return;
    // Room for two extra terminators: a value stored without its final NULs still ends safely.
    std::vector<wchar_t> list(size / sizeof(wchar_t) + 2, L'\0');
    if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, property, nullptr,
                                           reinterpret_cast<BYTE*>(list.data()), size, nullptr)) {
        return;
    }
    for (const wchar_t* entry = list.data(); *entry != L'\0'; entry += lstrlenW(entry) + 1) {
        ids.insert(UpperCase(entry));
    }
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

// Every hardware and compatible id of every present device, upper-cased.
std::unordered_set<std::wstring> PresentDeviceIds() {
    std::unordered_set<std::wstring> ids;
    DeviceList devices;
    if (devices.Get() == INVALID_HANDLE_VALUE) return ids;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    for (DWORD index = 0; SetupDiEnumDeviceInfo(devices.Get(), index, &device); ++index) {
        AddPropertyEntries(devices.Get(), device, SPDRP_HARDWAREID, ids);
        AddPropertyEntries(devices.Get(), device, SPDRP_COMPATIBLEIDS, ids);
    }
    return ids;
}

// The machine's device ids as one snapshot. Walking every device for every query made a disc of
// 1,000 hardware ids on a machine of 5,000 devices take many minutes to open; the snapshot answers
// each query with one look-up. The queries of one evaluation follow each other closely and share
// one snapshot; after a pause of kIdleMs without queries (a re-scan comes after the user chose and
// the installers ran) it is taken again, so that devices that appeared meanwhile (a bus driver's
// children) are seen.
class DeviceIdSnapshot {
public:
    bool Contains(const std::wstring& upperId) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_taken || GetTickCount() - m_lastAskedAt > kIdleMs) {
            m_ids = PresentDeviceIds();
            m_taken = true;
        }
        m_lastAskedAt = GetTickCount();
        return m_ids.count(upperId) != 0;
    }

    static constexpr DWORD kIdleMs = 2000;

private:
    std::mutex m_mutex;
    std::unordered_set<std::wstring> m_ids;
    DWORD m_lastAskedAt = 0;  // GetTickCount of the last query; the unsigned difference survives its wrap
    bool m_taken = false;
};

DeviceIdSnapshot& Snapshot() {
    static DeviceIdSnapshot snapshot;
    return snapshot;
}

}  // namespace

bool IsDeviceWithIdPresent(const std::wstring& id) {
    if (id.empty()) return false;
    return Snapshot().Contains(UpperCase(id));
}

}  // namespace standin
