#include "authoring/machine_profile.h"

#include "authoring/disc_files.h"
#include "authoring/reg_file.h"
#include "config/config_file.h"
#include "config/text.h"

namespace tavelin {

namespace {

// A profile or registry export larger than this is not a machine's description.
constexpr std::uintmax_t kMaxProfileBytes = 64 * 1024 * 1024;
// Machines have hundreds of devices; the count is bounded so a damaged file cannot loop long.
constexpr int kMaxProfileDevices = 100000;

}  // namespace

ProfileLoad LoadMachineProfile(const std::filesystem::path& file, MachineProfile& profile) {
    ProfileLoad load;
    if (!std::filesystem::is_regular_file(file)) {
        load.error = L"the profile " + file.wstring() + L" does not exist";
        return load;
    }
    const ConfigFile config(file);
    const std::wstring section = L"Machine";
    profile.model = config.ReadIniValue(section, L"Model");
    profile.facts.m_szOSKey = config.ReadIniValueUpper(section, L"OS_Key");
    profile.facts.m_b64Bit = config.ReadIniFlag(section, L"64Bit");
    profile.facts.m_szLanguageCode = config.ReadIniValue(section, L"Language");
    for (int n = 1; n <= kMaxProfileDevices; ++n) {
        const std::wstring ids = config.ReadIniValue(L"Devices", L"Device_" + DecimalText(n));
        if (ids.empty()) break;
        std::vector<std::wstring> device;
        for (const std::wstring& id : SplitList(ids, L",")) {
            if (!id.empty()) device.push_back(ToUpperText(id));
        }
        profile.devices.push_back(std::move(device));
    }
    const std::wstring registryFile = config.ReadIniValue(section, L"Registry");
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

bool ProfileDevices::IsDevicePresent(const std::wstring& hardwareId) {
    for (const auto& device : m_profile.devices) {
        for (const std::wstring& id : device) {
            if (EqualsNoCase(id, hardwareId)) return true;
        }
    }
    return false;
}

}  // namespace tavelin
