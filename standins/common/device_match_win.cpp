#include "device_match_win.h"

#include <windows.h>

#include <memory>
#include <mutex>
#include <vector>

#include "probe/device_id_index.h"
#include "probe/device_node_presence_win.h"
#include "probe/enum_device_ids_win.h"

namespace standin {
namespace {

// Ids are compared character by character after upper-casing, as Plug and Play compares them. A
// linguistic comparison would not do: it passes over characters without sort weight (soft hyphen,
// zero-width no-break space), so an id with a stray one of them would match a device it does not name.
std::wstring UpperCase(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Every instance the registry's Enum tree records, indexed by its upper-cased hardware and
// compatible ids. Listing the present devices through SetupAPI (every device of every class, its
// ids read through SetupAPI, the list destroyed) cost about six times reading the tree: the index
// reads the tree once and asks whether an instance is present only when a queried id names it.
tavelin::DeviceIdIndex IndexOfEnumTree() {
    std::vector<tavelin::DeviceInstanceIds> instances = tavelin::ReadEnumDeviceIds();
    for (tavelin::DeviceInstanceIds& instance : instances) {
        for (std::wstring& id : instance.ids) id = UpperCase(std::move(id));
    }
    return tavelin::DeviceIdIndex(std::move(instances));
}

// The machine's devices as one snapshot. Walking the devices for every query made a disc of 1,000
// hardware ids on a machine of 5,000 devices take many minutes to open; the snapshot answers each
// query with one look-up and remembers each instance's presence once asked. The queries of one
// evaluation follow each other closely and share one snapshot; after a pause of kIdleMs without
// queries (a re-scan comes after the user chose and the installers ran) it is taken again, so that
// devices that appeared meanwhile (a bus driver's children) are seen.
class DeviceIdSnapshot {
public:
    bool Contains(const std::wstring& upperId) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_presence || GetTickCount() - m_lastAskedAt > kIdleMs) {
            m_presence = std::make_unique<tavelin::DeviceNodePresence>();
            m_index = IndexOfEnumTree();
        }
        m_lastAskedAt = GetTickCount();
        const tavelin::DeviceNodePresence& presence = *m_presence;
        return m_index.AnyPresent(upperId, [&presence](const std::wstring& instanceId) {
            return presence.IsPresent(instanceId);
        });
    }

    static constexpr DWORD kIdleMs = 2000;

private:
    std::mutex m_mutex;
    std::unique_ptr<tavelin::DeviceNodePresence> m_presence;
    tavelin::DeviceIdIndex m_index;
    DWORD m_lastAskedAt = 0;  // GetTickCount of the last query; the unsigned difference survives its wrap
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
