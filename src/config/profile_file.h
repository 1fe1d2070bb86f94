// A private-profile (INI) file parsed once, answering lookups exactly as GetPrivateProfileStringW
// (with "" as the default and a 65536-character buffer) answers them on the platforms we run on:
// first matching section, first matching key in it, names compared without regard to ASCII case,
// names and values trimmed, a value wrapped in matching quotes loses them, no comment stripping,
// at most 65535 characters of value.
//
// Portable: the bytes are decoded here (UTF-8, UTF-16LE or UTF-16BE after a byte-order mark,
// otherwise the ANSI code page through the decoder the caller gives). Wide text holds UTF-16 code
// units on every platform, so lengths and the value limit count the same units as on Windows.
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

// UTF-8 to UTF-16 code units as the system's converter does it: every ill-formed piece becomes one
// U+FFFD, and a sequence cut off by the end of the input swallows what is left of it.
std::wstring DecodeUtf8(std::string_view bytes);

// The file's text: UTF-8, UTF-16LE or UTF-16BE after its byte-order mark (which is dropped),
// otherwise the ANSI code page.
std::wstring DecodeProfileText(std::string_view bytes, AnsiDecoder decodeAnsi);

// The characters the profile reader trims: ASCII white space and ^Z (a DOS end-of-file mark).
bool IsProfileSpace(wchar_t c);

class ProfileFile {
public:
    // The longest value a lookup returns, as with a 65536-character buffer.
    static constexpr std::size_t kMaxValueLength = 65535;

    ProfileFile();
    static ProfileFile Parse(std::string_view bytes, AnsiDecoder decodeAnsi = DecodeWindows1252);

    // The value of the first key named `key` in the first section named `section`; nothing when
    // either is missing or when that key's line has no "=". Keys before any section belong to the
    // section "". The view stays valid as long as this object.
    std::optional<std::wstring_view> Find(std::wstring_view section, std::wstring_view key) const&;
    // A view into a temporary would dangle at the end of the statement.
    std::optional<std::wstring_view> Find(std::wstring_view section, std::wstring_view key) const&& = delete;

private:
    struct Key {
        std::wstring value;
        bool hasValue = false;
    };
    struct Section {
        std::unordered_map<std::wstring, Key> keys;  // folded name -> first key of that name
    };
    // Sections reachable by lookups: the first of each name; later duplicates are never searched.
    std::vector<Section> m_sections;
    std::unordered_map<std::wstring, std::size_t> m_sectionIndex;  // folded name -> m_sections index
};

}  // namespace tavelin
