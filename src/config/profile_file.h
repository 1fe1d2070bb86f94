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
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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

    // The same lookup in two steps, for reading many keys of one section (the catalogue loader reads
    // dozens of each item's): the first section named `section`, or null; then a key of it, as Find
    // answers it (nothing for a null section). The section stays valid as long as this object.
    struct Section;
    const Section* FindSection(std::wstring_view section) const&;
    const Section* FindSection(std::wstring_view section) const&& = delete;
    static std::optional<std::wstring_view> FindKey(const Section* section, std::wstring_view key);

    // A key name made ready once for lookups in many sections (the loader asks every item's section
    // for the same names): trimmed, cut at its NUL and folded as every asked name is, and hashed.
    class KeyName {
    public:
        explicit KeyName(std::wstring_view name);
        // The name as it was given.
        std::wstring_view Name() const { return m_name; }

    private:
        friend class ProfileFile;
        std::wstring m_name;
        std::wstring m_folded;
        std::uint32_t m_hash = 0;
    };
    static std::optional<std::wstring_view> FindKey(const Section* section, const KeyName& key);

private:
    // Names matched without regard to ASCII case: each distinct name once, in its folded form, with
    // its position in the order names were first added. Looked up straight from the asked name,
    // without building a folded copy of it (the loader looks up tens of thousands of names).
    class NameIndex {
    public:
        // The position of a name, or -1. The name as compared: trimmed and cut at its NUL.
        std::int32_t Find(std::wstring_view name) const;
        // The position of the name, added at the end unless it is there already; and whether it
        // was added.
        std::pair<std::int32_t, bool> Add(std::wstring_view name);
        // Find for a name already folded, with its hash.
        std::int32_t FindFolded(std::wstring_view folded, std::uint32_t hash) const;

    private:
        std::int32_t Find(std::wstring_view name, std::uint32_t hash) const;
        // The position whose stored (folded) name `sameName` accepts, among those of this hash.
        template <typename SameName>
        std::int32_t Probe(std::uint32_t hash, SameName sameName) const;
        void Grow();

        std::wstring m_folded;                  // the folded names, one after another
        std::vector<std::uint32_t> m_ends;      // where each name ends in m_folded
        std::vector<std::uint32_t> m_hashes;    // the hash of each name
        std::vector<std::int32_t> m_slots;      // positions by hash, -1 for none; a power of two long
    };
    struct Key {
        std::wstring value;
        bool hasValue = false;
    };

    // Sections reachable by lookups: the first of each name; later duplicates are never searched.
    NameIndex m_sectionNames;  // positions are m_sections indexes
    std::vector<Section> m_sections;
};

struct ProfileFile::Section {
    NameIndex names;        // the first key of each name
    std::vector<Key> keys;  // by position in names
};

}  // namespace tavelin
