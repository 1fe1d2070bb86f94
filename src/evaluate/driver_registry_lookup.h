// Where the registry says a device's installed driver is: the hardware id's enumerator key, the
// first device key whose name contains the id's device pattern, that key's first instance, its
// "Driver" value, and the driver class key with the version, date and provider. The walk stops at
// the first step that fails and says which one and on what path.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "config/text.h"
#include "evaluate/registry.h"
#include "evaluate/text_arena.h"
#include "evaluate/text_index.h"

namespace tavelin {

enum class DriverLookupFailure {
    None,
    EnumeratorKey,     // SYSTEM\CurrentControlSet\Enum\<enumerator> did not open
    NoMatchingDevice,  // no device key contains the pattern
    DeviceKey,         // the matched device key did not open
    InstanceKey,       // the device has no instance, or its first instance did not open
    DriverValue,       // the instance has no readable "Driver" value
    ClassKey,          // SYSTEM\CurrentControlSet\Control\Class\<Driver> did not open
    DriverVersion,
    DriverDate,
    ProviderName,
};

struct InstalledDriverRecord {
    DriverLookupFailure failure = DriverLookupFailure::None;
    std::wstring failedPath;  // the key that did not open, for the *Key failures
    std::wstring classPath;   // the driver class key the values were read from, once it opened
    std::wstring version;     // trimmed
    std::wstring date;        // trimmed
    std::wstring provider;    // as stored
};

// The enumerator is the text before the first "\" (empty without one); the pattern starts two
// characters after the enumerator, so PCI\VEN_1 and PCI\\VEN_1 both look for device keys containing
// EN_1 or VEN_1 respectively: both match VEN_1&SUBSYS_...
struct HardwareIdParts {
    std::wstring enumerator;
    std::wstring pattern;
};
HardwareIdParts SplitHardwareId(const std::wstring& hardwareId);

// The walk done from scratch, every key opened and enumerated anew.
InstalledDriverRecord ReadInstalledDriver(Registry& registry, const std::wstring& hardwareId);

// The same answers for a whole evaluation, with each enumerator key enumerated once, each device
// and class key read once, and device patterns announced with Expect matched against an
// enumerator's device keys in one pass. The registry must not change while the cache is in use.
class DriverKeyCache {
public:
    explicit DriverKeyCache(Registry& registry);
    ~DriverKeyCache();
    DriverKeyCache(const DriverKeyCache&) = delete;
    DriverKeyCache& operator=(const DriverKeyCache&) = delete;

    // Announces a hardware id that Lookup will be asked for; optional, it only makes Lookup faster.
    void Expect(std::wstring_view hardwareId);
    // Never null. Every id that leads to the same class key (or the same failure) shares one
    // record, which the caller may keep beyond the cache's life instead of copying its texts.
    const std::shared_ptr<const InstalledDriverRecord>& Lookup(std::wstring_view hardwareId);

private:
    struct Enumerator;
    Enumerator& EnumeratorFor(std::wstring_view enumerator);
    int FirstDeviceContaining(Enumerator& entry, std::wstring_view pattern);
    const std::shared_ptr<const InstalledDriverRecord>& DeviceRecord(Enumerator& entry, int device);

    Registry& m_registry;
    std::map<std::wstring, std::unique_ptr<Enumerator>, std::less<>> m_enumerators;
    Enumerator* m_lastEnumerator = nullptr;  // the enumerator asked for last, and its name
    std::wstring_view m_lastEnumeratorName;
    // Class keys already read, numbered by the "Driver" value that names them below Control\Class
    // (the values' texts kept in an arena).
    TextIndex m_driverIndex;
    TextArena m_driverTexts;
    std::vector<std::shared_ptr<const InstalledDriverRecord>> m_recordByDriver;
    const std::shared_ptr<const InstalledDriverRecord> m_noMatchingDevice;
    std::wstring m_path;  // the path being opened, reused from one device to the next
};

}  // namespace tavelin
