// The device instances the registry records, read once from the Enum tree.
#pragma once

#include <vector>

#include "probe/device_id_index.h"

namespace tavelin {

// Every instance key HKLM\SYSTEM\CurrentControlSet\Enum\<enumerator>\<device>\<instance> that holds
// hardware or compatible ids ("HardwareID", then "CompatibleIDs", as stored: letter case kept).
// The tree also keeps instances of devices that are no longer present: what it gives is which
// instances name an id, not which are present (probe/device_node_presence_win.h says that).
// The tree is shared by both registry views, so a 32-bit reader sees what a 64-bit one sees.
std::vector<DeviceInstanceIds> ReadEnumDeviceIds();

}  // namespace tavelin
