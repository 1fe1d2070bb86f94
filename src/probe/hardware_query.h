// Device presence by hardware id, as the maker's enumeration libraries answer it. The evaluation
// passes take this interface, so tests can script the answers.
#pragma once

#include <string>

namespace tavelin {

class HardwareQuery {
public:
    virtual ~HardwareQuery() = default;
    // True when a device with this hardware id (already upper-cased) is present.
    virtual bool IsDevicePresent(const std::wstring& hardwareId) = 0;
};

}  // namespace tavelin
