// Where the running program is: the full path of its file, as GetModuleFileNameW gives it (room for
// 260 characters and the terminator).
#pragma once

#include <string>

namespace tavelin {

std::wstring RunningProgramPath();

}  // namespace tavelin
