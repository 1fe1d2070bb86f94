#include "evaluate/driver_registry_lookup.h"

#include <algorithm>
#include <cstdint>
#include <deque>

#include "config/text.h"
#include "evaluate/substring_search.h"
#include "evaluate/text_arena.h"

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

// From the device key through its first instance to its "Driver" value. path holds the device
// key's path and is left holding the instance's, so that one buffer serves every device.
DriverValue ReadDriverValue(Registry& registry, std::wstring& path) {
    DriverValue result;
    std::unique_ptr<RegistryKey> device = registry.OpenKey(path, RegistryView::View32);
    if (!device) {
        result.failure = Failed(DriverLookupFailure::DeviceKey, path);
        return result;
    }
    // Only the first instance is read, so the enumeration stops there.
    const std::optional<std::wstring> firstInstance = FirstSubkeyName(*device);
    device.reset();
    path.append(L"\\");
    if (firstInstance) path.append(*firstInstance);
    std::unique_ptr<RegistryKey> instance;
    if (firstInstance) instance = registry.OpenKey(path, RegistryView::View32);
    if (!instance) {
        result.failure = Failed(DriverLookupFailure::InstanceKey, path);
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
    std::wstring classPath;
    classPath.reserve(kClassRoot.size() + driver.size());
    classPath.append(kClassRoot).append(driver);
    std::unique_ptr<RegistryKey> key = registry.OpenKey(classPath, RegistryView::View32);
    if (!key) return Failed(DriverLookupFailure::ClassKey, std::move(classPath));
    InstalledDriverRecord record;
    record.classPath = std::move(classPath);
    const auto missing = [&](DriverLookupFailure failure) {
        record.failure = failure;
        return record;
    };
    std::optional<std::wstring> version = key->QueryStringValue(kDriverVersionValue, kDriverValueBufferBytes);
    if (!version) return missing(DriverLookupFailure::DriverVersion);
    std::optional<std::wstring> date = key->QueryStringValue(kDriverDateValue, kDriverValueBufferBytes);
    if (!date) return missing(DriverLookupFailure::DriverDate);
    std::optional<std::wstring> provider = key->QueryStringValue(kProviderNameValue, kDriverValueBufferBytes);
    if (!provider) return missing(DriverLookupFailure::ProviderName);
    record.version = std::move(*version);
    TrimWhiteSpaceInPlace(record.version);
    record.date = std::move(*date);
    TrimWhiteSpaceInPlace(record.date);
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

    std::wstring path = enumeratorPath + L"\\" + names[match];
    DriverValue driver = ReadDriverValue(registry, path);
    if (!driver.Found()) return std::move(driver.failure);
    return ReadClassKey(registry, driver.driver);
}

struct DriverKeyCache::Enumerator {
    std::wstring path;
    bool opened = false;
    std::shared_ptr<const InstalledDriverRecord> openFailure;
    // The device key names as enumerated (trimmed, empty ones left out) and not folded, their
    // texts in an arena: each name the registry gives is copied there and let go at once. Names
    // are folded as they are searched; only a matched device's name is folded, into its path.
    TextArena nameTexts;
    std::deque<std::wstring_view> names;
    // The record of each device key read so far, by device index (-1 for none yet): an index
    // into records, which never moves what it holds (Lookup hands out references).
    std::vector<std::int32_t> recordByDevice;
    std::deque<std::shared_ptr<const InstalledDriverRecord>> records;
    // The text of every pattern asked for or announced, which the tables below look into.
    TextArena patterns;
    // The patterns announced, in order (repeats kept), and the first device key containing each
    // of those matched so far (-1 for none): all that were announced before a lookup are matched
    // in one pass when it comes.
    std::vector<std::wstring_view> expected;
    std::vector<int> expectedMatch;
    // Lookups mostly come in the order their ids were announced: the next one is compared with
    // the announced pattern at the cursor before any table is searched.
    std::size_t cursor = 0;
    // The first device key of every pattern asked for out of that order, by pattern: those
    // announced (entered on the first such lookup, from `indexed` on) and those never announced.
    std::unordered_map<std::wstring_view, int, TextHash> matchByPattern;
    std::size_t indexed = 0;

    std::vector<int> FirstNamesContaining(const std::vector<std::wstring_view>& wanted) const {
        FirstFoldedNameSearch search(wanted);
        for (auto name = names.begin(); name != names.end() && !search.Done(); ++name) search.Read(*name);
        return search.First();
    }
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
            ForEachSubkeyName(*key, [&entry](const std::wstring& name) {
                entry.names.push_back(entry.nameTexts.Keep(name));
            });
            entry.recordByDevice.assign(entry.names.size(), -1);
        } else {
            entry.openFailure =
                std::make_shared<const InstalledDriverRecord>(Failed(DriverLookupFailure::EnumeratorKey, entry.path));
        }
    }
    m_lastEnumerator = found->second.get();
    m_lastEnumeratorName = found->first;
    return *m_lastEnumerator;
}

void DriverKeyCache::Expect(std::wstring_view hardwareId) {
    const HardwareIdViews parts = SplitHardwareIdViews(hardwareId);
    Enumerator& entry = EnumeratorFor(parts.enumerator);
    if (!entry.opened) return;
    entry.expected.push_back(entry.patterns.Keep(parts.pattern));
}

int DriverKeyCache::FirstDeviceContaining(Enumerator& entry, std::wstring_view pattern) {
    if (entry.expectedMatch.size() < entry.expected.size()) {
        // Every pattern announced since the last lookup, matched in one pass.
        const std::vector<std::wstring_view> unmatched(entry.expected.begin() + entry.expectedMatch.size(),
                                                       entry.expected.end());
        const std::vector<int> matches = entry.FirstNamesContaining(unmatched);
        entry.expectedMatch.insert(entry.expectedMatch.end(), matches.begin(), matches.end());
    }
    if (entry.cursor < entry.expected.size() && entry.expected[entry.cursor] == pattern) {
        return entry.expectedMatch[entry.cursor++];
    }
    for (; entry.indexed < entry.expected.size(); ++entry.indexed) {
        entry.matchByPattern.try_emplace(entry.expected[entry.indexed], entry.expectedMatch[entry.indexed]);
    }
    const auto known = entry.matchByPattern.find(pattern);
    if (known != entry.matchByPattern.end()) return known->second;
    const int match = entry.FirstNamesContaining({pattern}).front();
    entry.matchByPattern.emplace(entry.patterns.Keep(pattern), match);
    return match;
}

const std::shared_ptr<const InstalledDriverRecord>& DriverKeyCache::DeviceRecord(Enumerator& entry, int device) {
    std::int32_t& slot = entry.recordByDevice[static_cast<std::size_t>(device)];
    if (slot >= 0) return entry.records[static_cast<std::size_t>(slot)];
    // The device key is opened by its upper-cased name, which failures report.
    m_path.assign(entry.path).append(L"\\");
    const std::size_t nameStart = m_path.size();
    m_path.append(entry.names[static_cast<std::size_t>(device)]);
    for (auto c = m_path.begin() + static_cast<std::ptrdiff_t>(nameStart); c != m_path.end(); ++c) *c = ToUpperChar(*c);
    DriverValue driver = ReadDriverValue(m_registry, m_path);
    slot = static_cast<std::int32_t>(entry.records.size());
    if (!driver.Found()) {
        return entry.records.emplace_back(std::make_shared<const InstalledDriverRecord>(std::move(driver.failure)));
    }
    const TextIndex::Entry classKey = m_driverIndex.Insert(driver.driver);
    if (classKey.added) {
        m_driverIndex.Rekey(classKey.number, m_driverTexts.Keep(driver.driver));
        m_recordByDriver.push_back(std::make_shared<const InstalledDriverRecord>(ReadClassKey(m_registry, driver.driver)));
    }
    return entry.records.emplace_back(m_recordByDriver[classKey.number]);
}

const std::shared_ptr<const InstalledDriverRecord>& DriverKeyCache::Lookup(std::wstring_view hardwareId) {
    const HardwareIdViews parts = SplitHardwareIdViews(hardwareId);
    Enumerator& entry = EnumeratorFor(parts.enumerator);
    if (!entry.opened) return entry.openFailure;
    const int match = FirstDeviceContaining(entry, parts.pattern);
    if (match < 0) return m_noMatchingDevice;
    return DeviceRecord(entry, match);
}

}  // namespace tavelin
