#include "probe/device_id_index.h"

#include <utility>

namespace tavelin {

DeviceIdIndex::DeviceIdIndex(std::vector<DeviceInstanceIds> instances) {
    m_instanceIds.reserve(instances.size());
    m_presence.assign(instances.size(), Presence::Unknown);
    for (std::uint32_t index = 0; index < instances.size(); ++index) {
        DeviceInstanceIds& instance = instances[index];
        for (std::wstring& id : instance.ids) {
            std::vector<std::uint32_t>& naming = m_instancesById[std::move(id)];
            // An instance listing one id twice (as hardware and as compatible id) is asked about once.
            if (naming.empty() || naming.back() != index) naming.push_back(index);
        }
        m_instanceIds.push_back(std::move(instance.instanceId));
    }
}

bool DeviceIdIndex::AnyPresent(const std::wstring& id, const PresenceCheck& isPresent) {
    const auto found = m_instancesById.find(id);
    if (found == m_instancesById.end()) return false;
    for (const std::uint32_t index : found->second) {
        Presence& presence = m_presence[index];
        if (presence == Presence::Unknown) {
            presence = isPresent(m_instanceIds[index]) ? Presence::Present : Presence::Absent;
        }
        if (presence == Presence::Present) return true;
    }
    return false;
}

}  // namespace tavelin
