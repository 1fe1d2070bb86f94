// Device presence by hardware id, as the maker's enumeration libraries answer it. The evaluation
// passes take this interface, so tests can script the answers.
#pragma once

#include <string>

namespace tavelin {

// A device question's answer, with the library that found the device (empty when none did, or
// when the query cannot tell).
struct DeviceAnswer {
    bool present = false;
    std::wstring source;
};

class HardwareQuery {
public:
    virtual ~HardwareQuery() = default;
    // True when a device with this hardware id (already upper-cased) is present.
    virtual bool IsDevicePresent(const std::wstring& hardwareId) = 0;
    // The same question, saying who answered it.
    virtual DeviceAnswer FindDevice(const std::wstring& hardwareId) { return {IsDevicePresent(hardwareId), {}}; }
};

}  // namespace tavelin
