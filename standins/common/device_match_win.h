// Device presence by hardware id, answered from SetupAPI's view of the machine's devices.
#pragma once

#include <string>

namespace standin {

// True when some device lists `id` among its hardware ids or compatible ids, ignoring letter case.
// Answered from a snapshot of the machine's devices, taken again after two seconds without queries.
bool IsDeviceWithIdPresent(const std::wstring& id);

}  // namespace standin
