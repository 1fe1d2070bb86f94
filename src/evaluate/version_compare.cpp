#include "evaluate/version_compare.h"

#include <vector>

#include "config/text.h"

namespace tavelin {

namespace {

std::vector<int> Components(const std::wstring& text, const wchar_t* separator) {
    std::vector<int> numbers;
    for (const std::wstring& piece : SplitList(text, separator)) numbers.push_back(ParseLeadingInt(piece));
    return numbers;
}

int StatusOf(int ini, int registry) {
    return ini > registry ? VERSION_STATUS_INI_NEWER : VERSION_STATUS_REGISTRY_NEWER;
}

// What ParseLeadingInt reads as a number rather than as the 0 it gives for no digits at all.
bool StartsWithNumber(const std::wstring& piece) {
    const std::wstring trimmed = TrimWhiteSpace(piece);
    std::size_t at = 0;
    if (at < trimmed.size() && (trimmed[at] == L'+' || trimmed[at] == L'-')) ++at;
    return at < trimmed.size() && trimmed[at] >= L'0' && trimmed[at] <= L'9';
}

bool EveryPartIsNumber(const std::wstring& text, const wchar_t* separator, std::size_t& parts) {
    const std::vector<std::wstring> pieces = SplitList(text, separator);
    parts = pieces.size();
    for (const std::wstring& piece : pieces) {
        if (!StartsWithNumber(piece)) return false;
    }
    return true;
}

}  // namespace

bool IsReadableVersion(const std::wstring& version) {
    std::size_t parts = 0;
    return EveryPartIsNumber(version, L".", parts);
}

bool IsReadableDate(const std::wstring& date) {
    std::size_t parts = 0;
    return EveryPartIsNumber(date, L"-", parts) && parts == 3;
}

int CompareVersionAndDate(std::wstring iniVersion, std::wstring iniDate, std::wstring registryVersion,
                          std::wstring registryDate) {
    const std::vector<int> ini = Components(iniVersion, L".");
    const std::vector<int> registry = Components(registryVersion, L".");
    if (ini.size() != registry.size()) return VERSION_STATUS_ERROR;
    for (std::size_t i = 0; i < ini.size(); ++i) {
        if (ini[i] != registry[i]) return StatusOf(ini[i], registry[i]);
    }
    if (registryDate.empty()) return VERSION_STATUS_SAME;

    const std::vector<int> iniDay = Components(iniDate, L"-");
    const std::vector<int> registryDay = Components(registryDate, L"-");
    if (iniDay.size() != registryDay.size()) return VERSION_STATUS_ERROR;
    // Dates of fewer than three parts cannot be ordered; every caller treats that like any other
    // incomparable pair.
    if (iniDay.size() < 3) return VERSION_STATUS_ERROR;
    for (std::size_t part : {2u, 0u, 1u}) {  // year, month, day
        if (iniDay[part] != registryDay[part]) return StatusOf(iniDay[part], registryDay[part]);
    }
    return VERSION_STATUS_SAME;
}

}  // namespace tavelin
