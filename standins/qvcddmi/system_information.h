// The texts QVCDDMI.DLL reports, gathered once per load.
#pragma once

#include <cstdint>
#include <string>

namespace standin {

struct SystemInformation {
    std::uint8_t source = 0;  // tavelin::vendor::kModelSource*
    std::uint8_t smbiosMajor = 0;
    std::uint8_t smbiosMinor = 0;
    std::uint16_t smbiosHandle = 0;
    std::string manufacturer;
    std::string productName;
    std::string version;
    std::string serialNumber;
};

// From the firmware's SMBIOS table; from the registry's BIOS key when the table is missing or has
// no product name (Windows before XP SP2 x64 / Server 2003 SP1 has no GetSystemFirmwareTable).
SystemInformation GatherSystemInformation();

}  // namespace standin
