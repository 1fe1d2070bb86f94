// The machine's present devices with their hardware and compatible ids, as SetupAPI lists them.
#pragma once

#include <string>
#include <vector>

namespace tavelin {

// Each present device's hardware ids, then its compatible ids, as stored (letter case kept).
// SetupAPI is loaded by its full path in the system folder: a program run as administrator from a
// disc must not pick up a setupapi.dll lying beside it. Empty when SetupAPI cannot be used.
std::vector<std::vector<std::wstring>> ListPresentDevices();

}  // namespace tavelin
