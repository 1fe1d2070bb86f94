// Device presence by hardware id: the registry's Enum tree names the instances, the configuration
// manager says which of them are present.
#pragma once

#include <string>

namespace standin {

// True when some present device lists `id` among its hardware ids or compatible ids, ignoring
// letter case. Answered from a snapshot of the machine's devices, taken again after two seconds
// without queries.
bool IsDeviceWithIdPresent(const std::wstring& id);

}  // namespace standin
