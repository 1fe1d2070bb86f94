#include "device_match_win.h"

#include <windows.h>

#include <mutex>
#include <unordered_set>
#include <vector>

#include "probe/present_devices_win.h"

namespace standin {
namespace {

// Ids are compared character by character after upper-casing, as Plug and Play compares them. A
// linguistic comparison would not do: it passes over characters without sort weight (soft hyphen,
// zero-width no-break space), so an id with a stray one of them would match a device it does not name.
std::wstring UpperCase(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Every hardware and compatible id of every present device, upper-cased: the program's own
// listing of the devices (probe/present_devices_win.h), which its profile capture writes too.
std::unordered_set<std::wstring> PresentDeviceIds() {
    std::unordered_set<std::wstring> ids;
    for (const std::vector<std::wstring>& device : tavelin::ListPresentDevices()) {
        for (const std::wstring& id : device) ids.insert(UpperCase(id));
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
