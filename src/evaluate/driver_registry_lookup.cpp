#include "evaluate/driver_registry_lookup.h"

#include "config/text.h"
#include "evaluate/substring_search.h"

namespace tavelin {

namespace {

const std::wstring kEnumRoot = L"SYSTEM\\CurrentControlSet\\Enum\\";
const std::wstring kClassRoot = L"SYSTEM\\CurrentControlSet\\Control\\Class\\";

InstalledDriverRecord Failed(DriverLookupFailure failure, std::wstring path = {}) {
    InstalledDriverRecord record;
    record.failure = failure;
    record.failedPath = std::move(path);
    return record;
}

std::vector<std::wstring> UpperDeviceNames(RegistryKey& enumeratorKey) {
    std::vector<std::wstring> names = EnumerateSubkeyNames(enumeratorKey);
    for (std::wstring& name : names) name = ToUpperText(name);
    return names;
}

int FirstContaining(const std::vector<std::wstring>& names, const std::wstring& pattern) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i].find(pattern) != std::wstring::npos) return static_cast<int>(i);
    }
    return -1;
}

// Where the walk from a device key ends: the class key's path, or the failure on the way there.
struct ClassKeyPath {
    std::wstring path;               // set when the walk got there
    InstalledDriverRecord failure;   // set when it did not
    bool Found() const { return failure.failure == DriverLookupFailure::None; }
};

// From the device key through its first instance's "Driver" value to the class key's path.
ClassKeyPath ReadClassKeyPath(Registry& registry, const std::wstring& devicePath) {
    ClassKeyPath result;
    std::unique_ptr<RegistryKey> device = registry.OpenKey(devicePath, RegistryView::View32);
    if (!device) {
        result.failure = Failed(DriverLookupFailure::DeviceKey, devicePath);
        return result;
    }
    const std::vector<std::wstring> instances = EnumerateSubkeyNames(*device);
    device.reset();
    const std::wstring instancePath = devicePath + L"\\" + (instances.empty() ? L"" : instances.front());
    std::unique_ptr<RegistryKey> instance;
    if (!instances.empty()) instance = registry.OpenKey(instancePath, RegistryView::View32);
    if (!instance) {
        result.failure = Failed(DriverLookupFailure::InstanceKey, instancePath);
        return result;
    }
    const std::optional<std::wstring> driver = instance->QueryStringValue(L"Driver", kDriverValueBufferBytes);
    if (!driver) {
        result.failure = Failed(DriverLookupFailure::DriverValue);
        return result;
    }
    result.path = kClassRoot + *driver;
    return result;
}

InstalledDriverRecord ReadClassKey(Registry& registry, const std::wstring& classPath) {
    std::unique_ptr<RegistryKey> key = registry.OpenKey(classPath, RegistryView::View32);
    if (!key) return Failed(DriverLookupFailure::ClassKey, classPath);
    InstalledDriverRecord record;
    record.classPath = classPath;
    const auto missing = [&](DriverLookupFailure failure) {
        record.failure = failure;
        return record;
    };
    const std::optional<std::wstring> version = key->QueryStringValue(L"DriverVersion", kDriverValueBufferBytes);
    if (!version) return missing(DriverLookupFailure::DriverVersion);
    const std::optional<std::wstring> date = key->QueryStringValue(L"DriverDate", kDriverValueBufferBytes);
    if (!date) return missing(DriverLookupFailure::DriverDate);
    const std::optional<std::wstring> provider = key->QueryStringValue(L"ProviderName", kDriverValueBufferBytes);
    if (!provider) return missing(DriverLookupFailure::ProviderName);
    record.version = TrimWhiteSpace(*version);
    record.date = TrimWhiteSpace(*date);
    record.provider = *provider;
    return record;
}

}  // namespace

HardwareIdParts SplitHardwareId(const std::wstring& hardwareId) {
    HardwareIdParts parts;
    const std::size_t slash = hardwareId.find(L'\\');
    if (slash != std::wstring::npos) parts.enumerator = hardwareId.substr(0, slash);
    const std::size_t patternStart = parts.enumerator.size() + 2;
    if (patternStart < hardwareId.size()) parts.pattern = hardwareId.substr(patternStart);
    return parts;
}

InstalledDriverRecord ReadInstalledDriver(Registry& registry, const std::wstring& hardwareId) {
    const HardwareIdParts parts = SplitHardwareId(hardwareId);
    const std::wstring enumeratorPath = kEnumRoot + parts.enumerator;
    std::unique_ptr<RegistryKey> enumeratorKey = registry.OpenKey(enumeratorPath, RegistryView::View32);
    if (!enumeratorKey) return Failed(DriverLookupFailure::EnumeratorKey, enumeratorPath);
    const std::vector<std::wstring> names = UpperDeviceNames(*enumeratorKey);
    enumeratorKey.reset();
    const int match = FirstContaining(names, parts.pattern);
    if (match < 0) return Failed(DriverLookupFailure::NoMatchingDevice);

    const ClassKeyPath classKey = ReadClassKeyPath(registry, enumeratorPath + L"\\" + names[match]);
    if (!classKey.Found()) return classKey.failure;
    return ReadClassKey(registry, classKey.path);
}

struct DriverKeyCache::Enumerator {
    std::wstring path;
    bool opened = false;
    InstalledDriverRecord openFailure;
    std::vector<std::wstring> upperNames;
    std::vector<std::wstring> expectedPatterns;  // not yet matched
    std::unordered_map<std::wstring, int> firstMatchByPattern;
};

DriverKeyCache::DriverKeyCache(Registry& registry)
    : m_registry(registry), m_noMatchingDevice(Failed(DriverLookupFailure::NoMatchingDevice)) {}
DriverKeyCache::~DriverKeyCache() = default;

DriverKeyCache::Enumerator& DriverKeyCache::EnumeratorFor(const std::wstring& enumerator) {
    auto& slot = m_enumerators[enumerator];
    if (slot) return *slot;
    slot = std::make_unique<Enumerator>();
    slot->path = kEnumRoot + enumerator;
    if (std::unique_ptr<RegistryKey> key = m_registry.OpenKey(slot->path, RegistryView::View32)) {
        slot->opened = true;
        slot->upperNames = UpperDeviceNames(*key);
    } else {
        slot->openFailure = Failed(DriverLookupFailure::EnumeratorKey, slot->path);
    }
    return *slot;
}

void DriverKeyCache::Expect(const std::wstring& hardwareId) {
    HardwareIdParts parts = SplitHardwareId(hardwareId);
    Enumerator& entry = EnumeratorFor(parts.enumerator);
    if (entry.opened && entry.firstMatchByPattern.count(parts.pattern) == 0) {
        entry.firstMatchByPattern.emplace(parts.pattern, -2);  // -2: expected, not yet matched
        entry.expectedPatterns.push_back(std::move(parts.pattern));
    }
}

int DriverKeyCache::FirstDeviceContaining(Enumerator& entry, const std::wstring& pattern) {
    const auto known = entry.firstMatchByPattern.find(pattern);
    if (known != entry.firstMatchByPattern.end() && known->second != -2) return known->second;
    if (known == entry.firstMatchByPattern.end()) {
        const int match = FirstContaining(entry.upperNames, pattern);
        entry.firstMatchByPattern.emplace(pattern, match);
        return match;
    }
    // The first expected pattern asked for: match every expected pattern in one pass.
    const std::vector<int> matches = FirstNamesContaining(entry.expectedPatterns, entry.upperNames);
    for (std::size_t i = 0; i < matches.size(); ++i) {
        entry.firstMatchByPattern[entry.expectedPatterns[i]] = matches[i];
    }
    entry.expectedPatterns.clear();
    return entry.firstMatchByPattern[pattern];
}

const InstalledDriverRecord& DriverKeyCache::DeviceRecord(const std::wstring& devicePath) {
    const auto known = m_recordByDevicePath.find(devicePath);
    if (known != m_recordByDevicePath.end()) return *known->second;
    ClassKeyPath classKey = ReadClassKeyPath(m_registry, devicePath);
    const InstalledDriverRecord* record = nullptr;
    if (!classKey.Found()) {
        record = &m_failures.emplace_back(std::move(classKey.failure));
    } else {
        auto cachedClass = m_recordByClassPath.find(classKey.path);
        if (cachedClass == m_recordByClassPath.end()) {
            cachedClass = m_recordByClassPath.emplace(classKey.path, ReadClassKey(m_registry, classKey.path)).first;
        }
        record = &cachedClass->second;
    }
    m_recordByDevicePath.emplace(devicePath, record);
    return *record;
}

const InstalledDriverRecord& DriverKeyCache::Lookup(const std::wstring& hardwareId) {
    const HardwareIdParts parts = SplitHardwareId(hardwareId);
    Enumerator& entry = EnumeratorFor(parts.enumerator);
    if (!entry.opened) return entry.openFailure;
    const int match = FirstDeviceContaining(entry, parts.pattern);
    if (match < 0) return m_noMatchingDevice;
    return DeviceRecord(entry.path + L"\\" + entry.upperNames[match]);
}

}  // namespace tavelin
