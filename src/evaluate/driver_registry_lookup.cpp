#include "evaluate/driver_registry_lookup.h"

#include <deque>

#include "config/text.h"
#include "evaluate/substring_search.h"

namespace tavelin {

namespace {

const std::wstring kEnumRoot = L"SYSTEM\\CurrentControlSet\\Enum\\";
const std::wstring kClassRoot = L"SYSTEM\\CurrentControlSet\\Control\\Class\\";
const std::wstring kDriverValue = L"Driver";
const std::wstring kDriverVersionValue = L"DriverVersion";
const std::wstring kDriverDateValue = L"DriverDate";
const std::wstring kProviderNameValue = L"ProviderName";

InstalledDriverRecord Failed(DriverLookupFailure failure, std::wstring path = {}) {
    InstalledDriverRecord record;
    record.failure = failure;
    record.failedPath = std::move(path);
    return record;
}

// SplitHardwareId without copies: views into the hardware id.
struct HardwareIdViews {
    std::wstring_view enumerator;
    std::wstring_view pattern;
};
HardwareIdViews SplitHardwareIdViews(std::wstring_view hardwareId) {
    HardwareIdViews parts;
    const std::size_t slash = hardwareId.find(L'\\');
    if (slash != std::wstring_view::npos) parts.enumerator = hardwareId.substr(0, slash);
    const std::size_t patternStart = parts.enumerator.size() + 2;
    if (patternStart < hardwareId.size()) parts.pattern = hardwareId.substr(patternStart);
    return parts;
}

std::vector<std::wstring> UpperDeviceNames(RegistryKey& enumeratorKey) {
    std::vector<std::wstring> names = EnumerateSubkeyNames(enumeratorKey);
    for (std::wstring& name : names) {
        for (wchar_t& c : name) c = ToUpperChar(c);
    }
    return names;
}

int FirstContaining(const std::vector<std::wstring>& names, std::wstring_view pattern) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (std::wstring_view(names[i]).find(pattern) != std::wstring_view::npos) return static_cast<int>(i);
    }
    return -1;
}

// Where the walk from a device key ends: the "Driver" value of its first instance (the class key
// below Control\Class), or the failure on the way there.
struct DriverValue {
    std::wstring driver;             // set when the walk got there
    InstalledDriverRecord failure;   // set when it did not
    bool Found() const { return failure.failure == DriverLookupFailure::None; }
};

// From the device key through its first instance to its "Driver" value.
DriverValue ReadDriverValue(Registry& registry, const std::wstring& devicePath) {
    DriverValue result;
    std::unique_ptr<RegistryKey> device = registry.OpenKey(devicePath, RegistryView::View32);
    if (!device) {
        result.failure = Failed(DriverLookupFailure::DeviceKey, devicePath);
        return result;
    }
    // Only the first instance is read, so the enumeration stops there.
    const std::optional<std::wstring> firstInstance = FirstSubkeyName(*device);
    device.reset();
    const std::wstring instancePath = devicePath + L"\\" + firstInstance.value_or(L"");
    std::unique_ptr<RegistryKey> instance;
    if (firstInstance) instance = registry.OpenKey(instancePath, RegistryView::View32);
    if (!instance) {
        result.failure = Failed(DriverLookupFailure::InstanceKey, instancePath);
        return result;
    }
    std::optional<std::wstring> driver = instance->QueryStringValue(kDriverValue, kDriverValueBufferBytes);
    if (!driver) {
        result.failure = Failed(DriverLookupFailure::DriverValue);
        return result;
    }
    result.driver = std::move(*driver);
    return result;
}

InstalledDriverRecord ReadClassKey(Registry& registry, const std::wstring& driver) {
    const std::wstring classPath = kClassRoot + driver;
    std::unique_ptr<RegistryKey> key = registry.OpenKey(classPath, RegistryView::View32);
    if (!key) return Failed(DriverLookupFailure::ClassKey, classPath);
    InstalledDriverRecord record;
    record.classPath = classPath;
    const auto missing = [&](DriverLookupFailure failure) {
        record.failure = failure;
        return record;
    };
    const std::optional<std::wstring> version = key->QueryStringValue(kDriverVersionValue, kDriverValueBufferBytes);
    if (!version) return missing(DriverLookupFailure::DriverVersion);
    const std::optional<std::wstring> date = key->QueryStringValue(kDriverDateValue, kDriverValueBufferBytes);
    if (!date) return missing(DriverLookupFailure::DriverDate);
    std::optional<std::wstring> provider = key->QueryStringValue(kProviderNameValue, kDriverValueBufferBytes);
    if (!provider) return missing(DriverLookupFailure::ProviderName);
    record.version = TrimWhiteSpace(*version);
    record.date = TrimWhiteSpace(*date);
    record.provider = std::move(*provider);
    return record;
}

}  // namespace

HardwareIdParts SplitHardwareId(const std::wstring& hardwareId) {
    const HardwareIdViews views = SplitHardwareIdViews(hardwareId);
    return {std::wstring(views.enumerator), std::wstring(views.pattern)};
}

InstalledDriverRecord ReadInstalledDriver(Registry& registry, const std::wstring& hardwareId) {
    const HardwareIdViews parts = SplitHardwareIdViews(hardwareId);
    const std::wstring enumeratorPath = kEnumRoot + std::wstring(parts.enumerator);
    std::unique_ptr<RegistryKey> enumeratorKey = registry.OpenKey(enumeratorPath, RegistryView::View32);
    if (!enumeratorKey) return Failed(DriverLookupFailure::EnumeratorKey, enumeratorPath);
    const std::vector<std::wstring> names = UpperDeviceNames(*enumeratorKey);
    enumeratorKey.reset();
    const int match = FirstContaining(names, parts.pattern);
    if (match < 0) return Failed(DriverLookupFailure::NoMatchingDevice);

    DriverValue driver = ReadDriverValue(registry, enumeratorPath + L"\\" + names[match]);
    if (!driver.Found()) return std::move(driver.failure);
    return ReadClassKey(registry, driver.driver);
}

struct DriverKeyCache::Enumerator {
    std::wstring path;
    bool opened = false;
    std::shared_ptr<const InstalledDriverRecord> openFailure;
    std::vector<std::wstring> upperNames;
    // The record of each device key, by its index in upperNames; null until it is read.
    std::vector<std::shared_ptr<const InstalledDriverRecord>> recordByDevice;
    // The text of every pattern asked for or announced; firstMatchByPattern and expectedPatterns
    // look into it (a deque never moves what it holds).
    std::deque<std::wstring> patterns;
    // The index of the first device key containing each pattern; -2 for one announced and not yet
    // matched.
    std::unordered_map<std::wstring_view, int> firstMatchByPattern;
    std::vector<std::wstring_view> expectedPatterns;  // announced, not yet matched
};

DriverKeyCache::DriverKeyCache(Registry& registry)
    : m_registry(registry),
      m_noMatchingDevice(std::make_shared<const InstalledDriverRecord>(Failed(DriverLookupFailure::NoMatchingDevice))) {}
DriverKeyCache::~DriverKeyCache() = default;

DriverKeyCache::Enumerator& DriverKeyCache::EnumeratorFor(std::wstring_view enumerator) {
    // Nearly every hardware id of a disc names the same enumerator as the one before it.
    if (m_lastEnumerator != nullptr && m_lastEnumeratorName == enumerator) return *m_lastEnumerator;
    auto found = m_enumerators.find(enumerator);
    if (found == m_enumerators.end()) {
        found = m_enumerators.emplace(std::wstring(enumerator), std::make_unique<Enumerator>()).first;
        Enumerator& entry = *found->second;
        entry.path = kEnumRoot + found->first;
        if (std::unique_ptr<RegistryKey> key = m_registry.OpenKey(entry.path, RegistryView::View32)) {
            entry.opened = true;
            entry.upperNames = UpperDeviceNames(*key);
            entry.recordByDevice.assign(entry.upperNames.size(), nullptr);
        } else {
            entry.openFailure =
                std::make_shared<const InstalledDriverRecord>(Failed(DriverLookupFailure::EnumeratorKey, entry.path));
        }
    }
    m_lastEnumerator = found->second.get();
    m_lastEnumeratorName = found->first;
    return *m_lastEnumerator;
}

void DriverKeyCache::Expect(const std::wstring& hardwareId) {
    const HardwareIdViews parts = SplitHardwareIdViews(hardwareId);
    Enumerator& entry = EnumeratorFor(parts.enumerator);
    if (!entry.opened || entry.firstMatchByPattern.count(parts.pattern) != 0) return;
    const std::wstring_view stored = entry.patterns.emplace_back(parts.pattern);
    entry.firstMatchByPattern.emplace(stored, -2);  // -2: expected, not yet matched
    entry.expectedPatterns.push_back(stored);
}

int DriverKeyCache::FirstDeviceContaining(Enumerator& entry, std::wstring_view pattern) {
    const auto known = entry.firstMatchByPattern.find(pattern);
    if (known != entry.firstMatchByPattern.end() && known->second != -2) return known->second;
    if (known == entry.firstMatchByPattern.end()) {
        const int match = FirstContaining(entry.upperNames, pattern);
        entry.firstMatchByPattern.emplace(entry.patterns.emplace_back(pattern), match);
        return match;
    }
    // The first expected pattern asked for: match every expected pattern in one pass.
    const std::vector<int> matches = FirstNamesContaining(entry.expectedPatterns, entry.upperNames);
    for (std::size_t i = 0; i < matches.size(); ++i) {
        entry.firstMatchByPattern.find(entry.expectedPatterns[i])->second = matches[i];
    }
    entry.expectedPatterns.clear();
    return known->second;
}

const std::shared_ptr<const InstalledDriverRecord>& DriverKeyCache::DeviceRecord(Enumerator& entry, int device) {
    std::shared_ptr<const InstalledDriverRecord>& record = entry.recordByDevice[static_cast<std::size_t>(device)];
    if (record) return record;
    DriverValue driver = ReadDriverValue(m_registry, entry.path + L"\\" + entry.upperNames[device]);
    if (!driver.Found()) {
        record = std::make_shared<const InstalledDriverRecord>(std::move(driver.failure));
    } else {
        auto cachedClass = m_recordByDriver.find(driver.driver);
        if (cachedClass == m_recordByDriver.end()) {
            auto read = std::make_shared<const InstalledDriverRecord>(ReadClassKey(m_registry, driver.driver));
            cachedClass = m_recordByDriver.emplace(std::move(driver.driver), std::move(read)).first;
        }
        record = cachedClass->second;
    }
    return record;
}

const std::shared_ptr<const InstalledDriverRecord>& DriverKeyCache::Lookup(const std::wstring& hardwareId) {
    const HardwareIdViews parts = SplitHardwareIdViews(hardwareId);
    Enumerator& entry = EnumeratorFor(parts.enumerator);
    if (!entry.opened) return entry.openFailure;
    const int match = FirstDeviceContaining(entry, parts.pattern);
    if (match < 0) return m_noMatchingDevice;
    return DeviceRecord(entry, match);
}

}  // namespace tavelin
