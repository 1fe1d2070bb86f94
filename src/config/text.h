// Text helpers shared by every part that reads the disc's configuration: value cleaning, the
// list splitter, number reading and case handling. Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavelin {

// White space as the Windows CRT's iswspace classifies it: blank, tab, line breaks, vertical tab,
// form feed and the Unicode spaces (no-break, ideographic, ...), but not next-line (U+0085).
bool IsWhiteSpaceNonAscii(wchar_t c);  // IsWhiteSpace of any character, out of line
inline bool IsWhiteSpace(wchar_t c) {
    if (c < 0x80) return c == L' ' || (c >= L'\t' && c <= L'\r');
    return IsWhiteSpaceNonAscii(c);
}

// Removes white space at both ends.
std::wstring TrimWhiteSpace(std::wstring_view text);
// The same in the string itself, without a new one.
void TrimWhiteSpaceInPlace(std::wstring& text);

// Removes carriage returns, line feeds and blanks (13, 10, 32) at both ends, in place; tells whether
// anything is left.
bool TrimLineBreaks(std::wstring& text);

// Comma lists and every other separated list of the program. A text without the separator is one
// entry, unchanged and untrimmed; otherwise entries are trimmed and empty pieces between separators
// are skipped (a blank piece after the last separator still gives one empty entry).
std::vector<std::wstring> SplitList(const std::wstring& text, const std::wstring& separator);

// The leading decimal integer as _wtoi reads it: optional white space and sign, then digits (ASCII
// or the decimal digits of the other scripts the CRT knows, full-width among them) up to the first
// other character; 0 when there are none. Saturates instead of overflowing.
int ParseLeadingInt(std::wstring_view text);

// Upper-casing used for values, hardware ids, models and versions: ASCII, Latin-1, Latin
// Extended-A, Greek, Cyrillic and full-width Latin letters.
wchar_t ToUpperNonAscii(wchar_t c);  // ToUpperChar of any character, out of line
inline wchar_t ToUpperChar(wchar_t c) {
    if (c < 0x80) return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c;
    return ToUpperNonAscii(c);
}
std::wstring ToUpperText(std::wstring_view text);

// Comparison of names and words without regard to letter case (same folding as ToUpperText).
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);

// A hash of texts for the program's own tables (FNV-1a over the characters): much cheaper than the
// library's byte hash for the short names, ids and paths they hold.
struct TextHash {
    std::size_t operator()(std::wstring_view text) const noexcept {
        std::uint32_t hash = 2166136261u;
        for (const wchar_t c : text) hash = (hash ^ static_cast<std::uint32_t>(c)) * 16777619u;
        return hash;
    }
};

// Decimal text of a number, as "%d" formats it.
std::wstring DecimalText(long long value);

}  // namespace tavelin
