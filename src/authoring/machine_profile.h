// A machine described in a file, for simulating a disc on it. The profile is an INI file:
//   [Machine]
//   Model=TV-1000                    the BIOS model name
//   OS_Key=WNT_6.0_HOME_PREMIUM      the key the program builds from the Windows version and edition,
//   Windows=6.0                      or, when OS_Key is absent, the version
//   Edition=HOME_PREMIUM             and the edition: the key's last part (empty for a plain edition)
//   64Bit=1                          1 on 64-bit Windows
//   Language=0409                    the user-interface language code
//   Registry=machine.reg             a registry export, relative to the profile (optional)
//   [Devices]
//   Device_1=PCI\VEN_8086&DEV_27D8&SUBSYS_11111111&REV_02, PCI\VEN_8086&DEV_27D8, PCI\CC_0600
//   Device_2=...                     each present device's hardware and compatible ids, numbered from 1
//   [Device_Answers]
//   PCI\VEN_8086&DEV_27D8=QVCDENUM.DLL   what the disc's device libraries answered for an id: the
//   USB\VID_0BDA&PID_0151=absent         library that found it, or "absent"; these win over [Devices]
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/hardware_query.h"
#include "base/machine_facts.h"
#include "evaluate/memory_registry.h"

namespace tavelin {

struct MachineProfile {
    std::wstring model;
    MachineFacts facts;
    std::wstring windowsVersion;  // "6.0", when the profile gives it
    std::wstring edition;
    std::vector<std::vector<std::wstring>> devices;   // each device's ids, upper-cased
    std::map<std::wstring, DeviceAnswer> deviceAnswers;  // by upper-cased id
    MemoryRegistry registry;
};

struct ProfileLoad {
    bool ok = false;
    std::wstring error;
};

ProfileLoad LoadMachineProfile(const std::filesystem::path& file, MachineProfile& profile);

// The profile as LoadMachineProfile reads it (UTF-8 with a byte-order mark), naming `registryFile`
// (empty: none). The registry itself is written apart (reg_export.h).
std::string MachineProfileText(const MachineProfile& profile, const std::wstring& registryFile);

// The answers of [Device_Answers] besides a library's name: not found, or found by a library
// that did not say its name.
inline constexpr wchar_t kAbsentAnswer[] = L"absent";
inline constexpr wchar_t kPresentAnswer[] = L"present";

// Device questions answered from a profile as setup.exe gets them answered: a recorded answer of
// the disc's libraries where the profile has one (the libraries a disc ships may see devices
// differently from the device list); otherwise as the bundled libraries answer from the device
// list, a device matching when one of its hardware or compatible ids equals the id, ignoring case.
class ProfileDevices : public HardwareQuery {
public:
    explicit ProfileDevices(const MachineProfile& profile) : m_profile(profile) {}
    bool IsDevicePresent(const std::wstring& hardwareId) override { return FindDevice(hardwareId).present; }
    DeviceAnswer FindDevice(const std::wstring& hardwareId) override;

private:
    bool Listed(const std::wstring& hardwareId) const;
    const MachineProfile& m_profile;
};

}  // namespace tavelin
