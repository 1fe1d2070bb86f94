// Device presence by hardware id, answered from SetupAPI's view of the machine's devices.
#pragma once

#include <string>

namespace standin {

// True when some device lists `id` among its hardware ids or compatible ids, ignoring letter case.
bool IsDeviceWithIdPresent(const std::wstring& id);

}  // namespace standin
