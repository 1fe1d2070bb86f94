#include "config/text.h"

#include <climits>

namespace tavelin {

// IsWhiteSpace beyond ASCII (the header answers ASCII itself).
bool IsWhiteSpaceNonAscii(wchar_t c) {
    switch (c) {
        case L' ': case L'\t': case L'\n': case L'\v': case L'\f': case L'\r':
        case 0xA0: case 0x1680: case 0x2028: case 0x2029: case 0x202F: case 0x205F:
        case 0x3000:
            return true;
        default:
            return c >= 0x2000 && c <= 0x200A;
    }
}

std::wstring TrimWhiteSpace(std::wstring_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsWhiteSpace(text[begin])) ++begin;
    while (end > begin && IsWhiteSpace(text[end - 1])) --end;
    return std::wstring(text.substr(begin, end - begin));
}

void TrimWhiteSpaceInPlace(std::wstring& text) {
    std::size_t end = text.size();
    while (end > 0 && IsWhiteSpace(text[end - 1])) --end;
    text.resize(end);
    std::size_t begin = 0;
    while (begin < text.size() && IsWhiteSpace(text[begin])) ++begin;
    if (begin > 0) text.erase(0, begin);
}

bool TrimLineBreaks(std::wstring& text) {
    auto isBreakOrBlank = [](wchar_t c) { return c == 10 || c == 13 || c == 32; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBreakOrBlank(text[begin])) ++begin;
    while (end > begin && isBreakOrBlank(text[end - 1])) --end;
    if (begin == end) {
        text.clear();
        return false;
    }
    text = text.substr(begin, end - begin);
    return true;
}

std::vector<std::wstring> SplitList(const std::wstring& text, const std::wstring& separator) {
    std::vector<std::wstring> entries;
    if (separator.empty() || text.find(separator) == std::wstring::npos) {
        entries.push_back(text);
        return entries;
    }
    std::size_t restStart = 0;
    while (restStart < text.size()) {
        const std::size_t hit = text.find(separator, restStart);
        if (hit == std::wstring::npos) {
            entries.push_back(TrimWhiteSpace(std::wstring_view(text).substr(restStart)));
            break;
        }
        if (hit > restStart) {
            entries.push_back(TrimWhiteSpace(std::wstring_view(text).substr(restStart, hit - restStart)));
        }
        restStart = hit + separator.size();
    }
    return entries;
}

namespace {

// The zeros of the scripts whose decimal digits the CRT's number reading accepts besides ASCII:
// Arabic-Indic, extended Arabic-Indic, Devanagari, Bengali, Gurmukhi, Gujarati, Oriya, Telugu,
// Kannada, Malayalam, Thai, Lao, Tibetan, Myanmar, Khmer, Mongolian, full-width. A disc written on a
// Japanese system may well carry full-width numbers.
constexpr wchar_t kDigitZeros[] = {0x0660, 0x06F0, 0x0966, 0x09E6, 0x0A66, 0x0AE6, 0x0B66, 0x0C66, 0x0CE6,
                                   0x0D66, 0x0E50, 0x0ED0, 0x0F20, 0x1040, 0x17E0, 0x1810, 0xFF10};

int DecimalDigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    for (const wchar_t zero : kDigitZeros) {
        if (c >= zero && c <= zero + 9) return c - zero;
    }
    return -1;
}

}  // namespace

int ParseLeadingInt(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsWhiteSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    long long value = 0;
    for (int digit = 0; i < text.size() && (digit = DecimalDigitValue(text[i])) >= 0; ++i) {
        value = value * 10 + digit;
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

// ToUpperChar beyond ASCII (the header answers ASCII itself).
wchar_t ToUpperNonAscii(wchar_t c) {
    if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - 32);
    if (c < 0x80) return c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<wchar_t>(c - 32);  // Latin-1
    if (c == 0xFF) return 0x178;
    if (c == 0xB5) return 0x39C;  // micro sign -> Greek capital mu
    if (c == 0x3C2) return 0x3A3;  // final sigma
    if (c >= 0x100 && c <= 0x17F) {  // Latin Extended-A: pairs, upper case first
        const bool pairedEvenFirst = (c <= 0x137) || (c >= 0x14A && c <= 0x177);
        if (pairedEvenFirst) return (c & 1) ? static_cast<wchar_t>(c - 1) : c;
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
            return (c & 1) ? c : static_cast<wchar_t>(c - 1);
        }
        return c;
    }
    if (c >= 0x3B1 && c <= 0x3C9) return static_cast<wchar_t>(c - 32);  // Greek
    if (c >= 0x430 && c <= 0x44F) return static_cast<wchar_t>(c - 32);               // Cyrillic
    if (c >= 0x450 && c <= 0x45F) return static_cast<wchar_t>(c - 80);
    if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<wchar_t>(c - 32);             // full width
    return c;
}

std::wstring ToUpperText(std::wstring_view text) {
    std::wstring upper(text);
    for (wchar_t& c : upper) c = ToUpperChar(c);
    return upper;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ToUpperChar(a[i]) != ToUpperChar(b[i])) return false;
    }
    return true;
}

std::wstring DecimalText(long long value) {
    return std::to_wstring(value);
}

}  // namespace tavelin
