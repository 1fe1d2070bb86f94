// Where each section and key of a private-profile file stands: its line, and whether an earlier
// section or key of the same name hides it. The reader (profile_file.h) keeps only what a lookup
// can reach; the disc author's checks need the rest to point at lines and to find what is never
// read. The line rules are the reader's; a test holds the two to the same answers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "config/profile_file.h"

namespace tavelin {

struct OutlineKey {
    std::wstring name;        // as written, trimmed
    int line = 0;             // from 1
    bool hasValue = false;    // the line has a "="
    std::size_t rawLength = 0;  // of the value as written, trimmed, before any limit
    bool repeated = false;    // an earlier key of this name in the section wins
};

struct OutlineSection {
    std::wstring name;  // as written, trimmed; "" for keys before the first header
    int line = 0;       // of the header; 0 for the section ""
    bool repeated = false;  // an earlier section of this name wins: lookups never see these keys
    std::vector<OutlineKey> keys;
};

struct ProfileOutline {
    std::vector<OutlineSection> sections;  // in file order; the section "" first, possibly empty

    // The first section of a name, as lookups find it (names compared without regard to ASCII
    // case); null when there is none.
    const OutlineSection* FindSection(std::wstring_view name) const;
    // The first key of a name in the first section of that name; null when there is none.
    const OutlineKey* FindKey(std::wstring_view section, std::wstring_view key) const;
};

ProfileOutline OutlineProfile(std::string_view bytes, AnsiDecoder decodeAnsi = DecodeWindows1252);

// Names compared as the reader compares them: ASCII letters without regard to case.
bool SameProfileName(std::wstring_view a, std::wstring_view b);

}  // namespace tavelin
