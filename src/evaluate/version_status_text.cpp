#include "evaluate/version_status_text.h"

#include <iterator>

#include "evaluate/version_compare.h"

namespace tavelin {

std::wstring VersionStatusText(int status, StatusCapital capital) {
    static const wchar_t* const kNames[] = {L"Error", L"Same", L"Ini newer", L"Registry newer"};
    static_assert(std::size(kNames) == VERSION_STATUS_REGISTRY_NEWER + 1, "one text per status");
    const std::wstring prefix = capital == StatusCapital::Upper ? L"Version Status : " : L"Version status : ";
    if (status < 0 || status >= static_cast<int>(std::size(kNames))) return prefix + L"?";
    return prefix + kNames[status];
}

}  // namespace tavelin
