// The one comparison behind every "is the disc's copy newer?" decision: a version and date from
// TAVELIN.INI against a version and date read from the registry.
#pragma once

#include <string_view>

namespace tavelin {

constexpr int VERSION_STATUS_ERROR = 0;           // the two sides cannot be compared
constexpr int VERSION_STATUS_SAME = 1;            // the disc's version equals the installed one
constexpr int VERSION_STATUS_INI_NEWER = 2;       // the disc's version is newer
constexpr int VERSION_STATUS_REGISTRY_NEWER = 3;  // the installed version is newer

// Versions are "."-separated numbers compared component by component; the dates (month-day-year,
// "-"-separated, as Windows stores driver dates) decide only between equal versions, year first.
int CompareVersionAndDate(std::wstring_view iniVersion, std::wstring_view iniDate, std::wstring_view registryVersion,
                          std::wstring_view registryDate);

// Whether the comparison reads every part of a disc's text as a number, rather than taking a part
// without digits ("1.x", "v2") for 0. A date must also have the three parts Windows stores.
bool IsReadableVersion(const std::wstring& version);
bool IsReadableDate(const std::wstring& date);

}  // namespace tavelin
