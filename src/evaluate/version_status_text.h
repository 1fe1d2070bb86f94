// The diagnostic texts of the four version statuses. Driver detection writes "Version status",
// application detection "Version Status".
#pragma once

#include <string>

namespace tavelin {

enum class StatusCapital { Lower, Upper };
std::wstring VersionStatusText(int status, StatusCapital capital);

}  // namespace tavelin
