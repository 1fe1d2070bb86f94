// A machine described in a file, for simulating a disc on it. The profile is an INI file:
//   [Machine]
//   Model=TV-1000                    the BIOS model name
//   OS_Key=WNT_6.0_HOME_PREMIUM      the key the program builds from the Windows version and edition
//   64Bit=1                          1 on 64-bit Windows
//   Language=0409                    the user-interface language code
//   Registry=machine.reg             a registry export, relative to the profile (optional)
//   [Devices]
//   Device_1=PCI\VEN_8086&DEV_27D8&SUBSYS_11111111&REV_02, PCI\VEN_8086&DEV_27D8, PCI\CC_0600
//   Device_2=...                     each present device's hardware and compatible ids, numbered from 1
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "evaluate/memory_registry.h"
#include "probe/hardware_query.h"
#include "probe/machine_facts.h"

namespace tavelin {

struct MachineProfile {
    std::wstring model;
    MachineFacts facts;
    std::vector<std::vector<std::wstring>> devices;  // each device's ids, upper-cased
    MemoryRegistry registry;
};

struct ProfileLoad {
    bool ok = false;
    std::wstring error;
};

ProfileLoad LoadMachineProfile(const std::filesystem::path& file, MachineProfile& profile);

// Device questions answered from a profile, as the device libraries answer them: a device is
// present when one of its hardware or compatible ids equals the id asked, ignoring case.
class ProfileDevices : public HardwareQuery {
public:
    explicit ProfileDevices(const MachineProfile& profile) : m_profile(profile) {}
    bool IsDevicePresent(const std::wstring& hardwareId) override;

private:
    const MachineProfile& m_profile;
};

}  // namespace tavelin
