#include "evaluate/version_compare.h"

#include "config/text.h"

namespace tavelin {

namespace {

// The numbers of a separated text, one by one, as SplitList would cut it and ParseLeadingInt read
// each entry, without making the list: every non-empty piece between separators is one number
// (ParseLeadingInt skips the blanks SplitList trims), and so is a text without a separator, even an
// empty one. Every version and date comparison of an evaluation comes through here.
class Components {
public:
    Components(std::wstring_view text, wchar_t separator) : m_text(text), m_separator(separator) {}

    bool Next(int& value) {
        if (m_text.empty()) {
            if (m_emptyRead) return false;
            m_emptyRead = true;
            value = 0;
            return true;
        }
        while (m_position < m_text.size()) {
            // Nearly every piece is a few ASCII digits and nothing else, which read the same as
            // ParseLeadingInt reads them: taken in one pass, without looking for the separator
            // first. Up to nine digits, so that the number cannot reach the CRT's clamp.
            std::size_t at = m_position;
            int number = 0;
            for (; at < m_text.size() && at - m_position < 9; ++at) {
                const auto digit = static_cast<unsigned>(m_text[at]) - L'0';
                if (digit > 9) break;
                number = number * 10 + static_cast<int>(digit);
            }
            if (at > m_position && (at == m_text.size() || m_text[at] == m_separator)) {
                m_position = at + 1;
                value = number;
                return true;
            }
            std::size_t end = m_text.find(m_separator, m_position);
            if (end == std::wstring_view::npos) end = m_text.size();
            const std::wstring_view piece = m_text.substr(m_position, end - m_position);
            m_position = end + 1;
            if (!piece.empty()) {
                value = ParseLeadingInt(piece);
                return true;
            }
        }
        return false;
    }

private:
    std::wstring_view m_text;
    wchar_t m_separator;
    std::size_t m_position = 0;
    bool m_emptyRead = false;
};

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

int CompareVersionAndDate(std::wstring_view iniVersion, std::wstring_view iniDate, std::wstring_view registryVersion,
                          std::wstring_view registryDate) {
    // Both sides read side by side, once: different counts make the pair incomparable, whatever
    // the components before; otherwise the first different component decides.
    Components ini(iniVersion, L'.');
    Components registry(registryVersion, L'.');
    int status = VERSION_STATUS_SAME;
    for (;;) {
        int iniPart = 0;
        int registryPart = 0;
        const bool iniMore = ini.Next(iniPart);
        if (iniMore != registry.Next(registryPart)) return VERSION_STATUS_ERROR;
        if (!iniMore) break;
        if (status == VERSION_STATUS_SAME && iniPart != registryPart) status = StatusOf(iniPart, registryPart);
    }
    if (status != VERSION_STATUS_SAME || registryDate.empty()) return status;

    Components iniDay(iniDate, L'-');
    Components registryDay(registryDate, L'-');
    int iniParts[3] = {};
    int registryParts[3] = {};
    std::size_t parts = 0;
    for (;;) {
        int iniPart = 0;
        int registryPart = 0;
        const bool iniMore = iniDay.Next(iniPart);
        if (iniMore != registryDay.Next(registryPart)) return VERSION_STATUS_ERROR;
        if (!iniMore) break;
        if (parts < 3) {
            iniParts[parts] = iniPart;
            registryParts[parts] = registryPart;
        }
        ++parts;
    }
    // Dates of fewer than three parts cannot be ordered; every caller treats that like any other
    // incomparable pair.
    if (parts < 3) return VERSION_STATUS_ERROR;
    for (int part : {2, 0, 1}) {  // year, month, day
        if (iniParts[part] != registryParts[part]) return StatusOf(iniParts[part], registryParts[part]);
    }
    return VERSION_STATUS_SAME;
}

}  // namespace tavelin
