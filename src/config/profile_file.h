// A private-profile (INI) file parsed once, answering lookups the way GetPrivateProfileStringW
// does: first matching section, first matching key in it, names compared without regard to case,
// keys and values trimmed, matched surrounding quotes removed, at most 65535 characters of value.
// Portable: the bytes are decoded here (UTF-16LE or UTF-8 with a byte-order mark, otherwise the
// ANSI code page through the decoder the caller gives).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tavelin {

// Decodes bytes of the ANSI code page to wide text. The portable default is Windows-1252; the
// Windows build passes the system's code page (platform/text_encoding_win.h).
using AnsiDecoder = std::wstring (*)(std::string_view bytes);
std::wstring DecodeWindows1252(std::string_view bytes);

class ProfileFile {
public:
    // The longest value a lookup returns, as with a 65536-character buffer.
    static constexpr std::size_t kMaxValueLength = 65535;

    ProfileFile() = default;
    static ProfileFile Parse(std::string_view bytes, AnsiDecoder decodeAnsi = DecodeWindows1252);

    // The value of the first key named `key` in the first section named `section`; nothing when
    // either is missing. Keys before any section belong to the section "".
    std::optional<std::wstring> Find(std::wstring_view section, std::wstring_view key) const;

    std::size_t SectionCount() const { return m_sections.size(); }

private:
    struct Section {
        std::unordered_map<std::wstring, std::wstring> values;  // folded key -> first value
    };
    std::vector<Section> m_sections;
    std::unordered_map<std::wstring, std::size_t> m_firstSection;  // folded name -> index
};

}  // namespace tavelin
