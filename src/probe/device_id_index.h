// Which device instances name each hardware or compatible id, and whether an id names a present
// one, asking about presence only for the instances that the asked ids name.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tavelin {

// One device instance as the machine records it (its instance id, "PCI\VEN_..\3&2143..."), with
// its hardware ids followed by its compatible ids.
struct DeviceInstanceIds {
    std::wstring instanceId;
    std::vector<std::wstring> ids;
};

class DeviceIdIndex {
public:
    using PresenceCheck = std::function<bool(const std::wstring& instanceId)>;

    DeviceIdIndex() = default;
    // The ids are kept as given: the caller folds the letter case of the ids and of the queries alike.
    explicit DeviceIdIndex(std::vector<DeviceInstanceIds> instances);

    // True when some instance that names `id` is present. Presence costs a question to the system,
    // and a machine records many instances that no disc asks about (and some that are no longer
    // present), so `isPresent` is asked only for instances that name an asked id, at most once per
    // instance over the index's life, in the order the instances were given, until one is present.
    bool AnyPresent(const std::wstring& id, const PresenceCheck& isPresent);

    std::size_t InstanceCount() const { return m_instanceIds.size(); }

private:
    enum class Presence : std::uint8_t { Unknown, Present, Absent };

    std::vector<std::wstring> m_instanceIds;
    std::vector<Presence> m_presence;
    std::unordered_map<std::wstring, std::vector<std::uint32_t>> m_instancesById;
};

}  // namespace tavelin
