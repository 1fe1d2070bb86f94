#include "authoring/machine_profile.h"

#include "authoring/disc_files.h"
#include "authoring/reg_file.h"
#include "authoring/report.h"
#include "config/config_file.h"
#include "config/profile_outline.h"
#include "config/text.h"
#include "probe/os_key.h"
#include "probe/vendor_protocol.h"

namespace tavelin {

namespace {

// A profile or registry export larger than this is not a machine's description.
constexpr std::uintmax_t kMaxProfileBytes = 64 * 1024 * 1024;
// Machines have hundreds of devices; the count is bounded so a damaged file cannot loop long.
constexpr int kMaxProfileDevices = 100000;

const std::wstring kMachine = L"Machine";
const std::wstring kDevices = L"Devices";
const std::wstring kDeviceAnswers = L"Device_Answers";

// "6.0" -> 6 and 0; false for anything else.
bool ParseWindowsVersion(const std::wstring& text, std::uint32_t& major, std::uint32_t& minor) {
    const std::vector<std::wstring> parts = SplitList(text, L".");
    if (parts.size() != 2) return false;
    for (const std::wstring& part : parts) {
        if (part.empty() || part.size() > 3 || part.find_first_not_of(L"0123456789") != std::wstring::npos) return false;
    }
    major = static_cast<std::uint32_t>(ParseLeadingInt(parts[0]));
    minor = static_cast<std::uint32_t>(ParseLeadingInt(parts[1]));
    return true;
}

// The OS key of a profile that gives the version and edition instead of the key.
bool OsKeyOfVersion(MachineProfile& profile, ProfileLoad& load) {
    std::uint32_t major = 0, minor = 0;
    if (!ParseWindowsVersion(profile.windowsVersion, major, minor)) {
        load.error = L"Windows=" + profile.windowsVersion + L" is not a version such as 6.0";
        return false;
    }
    const std::optional<OsFacts> facts = OsFactsOfEdition(major, minor, profile.edition);
    if (!facts) {
        std::wstring known;
        for (const std::wstring& name : EditionsOf(major, minor)) known += (known.empty() ? L"" : L", ") + (name.empty() ? L"(none)" : name);
        load.error = L"Edition=" + profile.edition + L" is not an edition of Windows " + profile.windowsVersion +
                     L" (" + known + L")";
        return false;
    }
    profile.facts.m_szOSKey = BuildOsKey(*facts);
    return true;
}

void ReadDeviceAnswers(const std::filesystem::path& file, const ConfigFile& config, MachineProfile& profile) {
    // The section's keys are the ids themselves: the outline names them, the reader reads them.
    const auto bytes = ReadDiscFile(file, kMaxProfileBytes);
    if (!bytes) return;
    const ProfileOutline outline = OutlineProfile(*bytes);
    const OutlineSection* section = outline.FindSection(kDeviceAnswers);
    if (section == nullptr) return;
    for (const OutlineKey& key : section->keys) {
        if (key.repeated || !key.hasValue || key.name.empty()) continue;
        const std::wstring answer = config.ReadIniValue(kDeviceAnswers, key.name);
        DeviceAnswer& kept = profile.deviceAnswers[ToUpperText(key.name)];
        if (answer.empty() || EqualsNoCase(answer, kAbsentAnswer)) continue;
        kept.present = true;
        if (!EqualsNoCase(answer, kPresentAnswer)) kept.source = answer;
    }
}

}  // namespace

ProfileLoad LoadMachineProfile(const std::filesystem::path& file, MachineProfile& profile) {
    ProfileLoad load;
    if (!std::filesystem::is_regular_file(file)) {
        load.error = L"the profile " + file.wstring() + L" does not exist";
        return load;
    }
    const ConfigFile config(file);
    profile.model = config.ReadIniValue(kMachine, L"Model");
    profile.facts.m_szOSKey = config.ReadIniValueUpper(kMachine, L"OS_Key");
    profile.windowsVersion = config.ReadIniValue(kMachine, L"Windows");
    profile.edition = config.ReadIniValue(kMachine, L"Edition");
    if (profile.facts.m_szOSKey.empty() && !profile.windowsVersion.empty() && !OsKeyOfVersion(profile, load)) {
        return load;
    }
    profile.facts.m_b64Bit = config.ReadIniFlag(kMachine, L"64Bit");
    profile.facts.m_szLanguageCode = config.ReadIniValue(kMachine, L"Language");
    for (int n = 1; n <= kMaxProfileDevices; ++n) {
        const std::wstring ids = config.ReadIniValue(kDevices, L"Device_" + DecimalText(n));
        if (ids.empty()) break;
        std::vector<std::wstring> device;
        for (const std::wstring& id : SplitList(ids, L",")) {
            if (!id.empty()) device.push_back(ToUpperText(id));
        }
        profile.devices.push_back(std::move(device));
    }
    ReadDeviceAnswers(file, config, profile);
    const std::wstring registryFile = config.ReadIniValue(kMachine, L"Registry");
    if (!registryFile.empty()) {
        const std::filesystem::path path = file.parent_path() / std::filesystem::path(registryFile);
        const auto bytes = ReadDiscFile(path, kMaxProfileBytes);
        if (!bytes) {
            load.error = L"the registry export " + path.wstring() + L" cannot be read";
            return load;
        }
        const RegFileResult reg = LoadRegFile(*bytes, profile.facts.m_b64Bit, profile.registry);
        if (!reg.ok) {
            load.error = path.wstring() + L": " + reg.error;
            return load;
        }
    }
    load.ok = true;
    return load;
}

bool ProfileDevices::Listed(const std::wstring& hardwareId) const {
    for (const auto& device : m_profile.devices) {
        for (const std::wstring& id : device) {
            if (EqualsNoCase(id, hardwareId)) return true;
        }
    }
    return false;
}

std::string MachineProfileText(const MachineProfile& profile, const std::wstring& registryFile) {
    std::wstring text = L"; A machine described for \"tavelin-disc simulate\".\r\n[Machine]\r\n";
    auto line = [&text](const std::wstring& key, const std::wstring& value) { text += key + L"=" + value + L"\r\n"; };
    line(L"Model", profile.model);
    line(L"OS_Key", profile.facts.m_szOSKey);
    if (!profile.windowsVersion.empty()) {
        line(L"Windows", profile.windowsVersion);
        line(L"Edition", profile.edition);
    }
    line(L"64Bit", profile.facts.m_b64Bit ? L"1" : L"0");
    line(L"Language", profile.facts.m_szLanguageCode);
    if (!registryFile.empty()) line(L"Registry", registryFile);
    text += L"\r\n[Devices]\r\n";
    for (std::size_t n = 0; n < profile.devices.size(); ++n) {
        std::wstring ids;
        for (const std::wstring& id : profile.devices[n]) ids += (ids.empty() ? L"" : L", ") + id;
        line(L"Device_" + DecimalText(static_cast<long long>(n + 1)), ids);
    }
    if (!profile.deviceAnswers.empty()) {
        text += L"\r\n[Device_Answers]\r\n";
        for (const auto& [id, answer] : profile.deviceAnswers) {
            line(id, !answer.present ? std::wstring(kAbsentAnswer) : answer.source.empty() ? std::wstring(kPresentAnswer) : answer.source);
        }
    }
    return "\xEF\xBB\xBF" + EncodeUtf8(text);
}

DeviceAnswer ProfileDevices::FindDevice(const std::wstring& hardwareId) {
    const auto recorded = m_profile.deviceAnswers.find(ToUpperText(hardwareId));
    if (recorded != m_profile.deviceAnswers.end()) return recorded->second;
    // The ENUM library is asked first and answers for ids of every bus from the same devices the
    // USB library sees; the USB library, asked second and only answering for USB\ ids, can only
    // find what the ENUM library already found. A listed device is therefore the ENUM library's.
    if (Listed(hardwareId)) return {true, vendor::kEnumLibraryName};
    return {};
}

}  // namespace tavelin
