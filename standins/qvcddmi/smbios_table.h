// The system information structure (type 1) of a raw SMBIOS table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

struct SmbiosSystemStrings {
    bool found = false;  // the table has a type-1 structure
    std::uint16_t handle = 0;
    std::string manufacturer;
    std::string productName;
    std::string version;
    std::string serialNumber;
};

// `table` is the structure area (after the 8-byte header GetSystemFirmwareTable puts in front).
// Malformed or truncated structures end the walk; what was found until then is kept.
SmbiosSystemStrings FindSystemStrings(const std::vector<std::uint8_t>& table);

}  // namespace standin
