#include "config/text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

#if defined(_WIN32)
#include <cstdlib>
#include <cwctype>
#endif

namespace tavelin {
namespace {

// ASCII as it is, anything else as \uXXXX, so that a failure names its case.
std::string Escaped(std::wstring_view text) {
    std::string out;
    for (wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c) & 0xFFFFu);
            out += escaped;
        }
    }
    return out;
}

std::wstring Joined(const std::vector<std::wstring>& entries) {
    std::wstring joined;
    for (const auto& entry : entries) joined += L"[" + entry + L"]";
    return joined;
}

TEST(SplitList, FollowsTheListRules) {
    struct Case {
        const wchar_t* text;
        const wchar_t* separator;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"X", L",", L"[X]"},
        {L"X,Y", L",", L"[X][Y]"},
        {L"X, Y ,Z", L",", L"[X][Y][Z]"},
        {L",X,,Y,", L",", L"[X][Y]"},
        {L"X, ", L",", L"[X][]"},          // the blank piece after the last separator
        {L"X,  ,Y", L",", L"[X][][Y]"},    // a blank piece between separators
        {L"  X  ", L",", L"[  X  ]"},      // no separator: unchanged, untrimmed
        {L"", L",", L"[]"},
        {L"1.2.3", L".", L"[1][2][3]"},
        {L"4@7@", L"@", L"[4][7]"},
        {L"a%%b%%c", L"%%", L"[a][b][c]"},  // separators longer than one character
        {L"a%b", L"%%", L"[a%b]"},
        {L"\tX\t,Y", L",", L"[X][Y]"},
        {L"x,X", L"X", L"[x,]"},            // matched case-sensitively
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Joined(SplitList(c.text, c.separator)), c.expected)
            << "text '" << std::wstring(c.text).size() << "' chars, separator " << c.separator;
    }
}

TEST(TrimLineBreaks, TrimsBreaksAndBlanksOnly) {
    struct Case {
        const wchar_t* text;
        const wchar_t* expected;
        bool anythingLeft;
    };
    const Case cases[] = {
        {L"\r\n  value \r\n", L"value", true},
        {L"\tvalue\t", L"\tvalue\t", true},  // tabs are left for the white-space step
        {L" \r\n ", L"", false},
        {L"", L"", false},
        {L"a b", L"a b", true},
    };
    for (const auto& c : cases) {
        std::wstring text = c.text;
        EXPECT_EQ(TrimLineBreaks(text), c.anythingLeft) << c.expected;
        EXPECT_EQ(text, c.expected);
    }
}

TEST(ParseLeadingInt, ReadsLikeWtoi) {
    struct Case {
        const wchar_t* text;
        int expected;
    };
    const Case cases[] = {
        {L"5", 5},         {L"2.5", 2},       {L"  42abc", 42}, {L"-7", -7},
        {L"+3", 3},        {L"abc", 0},       {L"", 0},         {L"0a", 0},
        {L"99999999999999", 2147483647},      {L"-99999999999999", -2147483647 - 1},
        {L"\t12", 12},     {L"- 3", 0},
        // The CRT reads the decimal digits of other scripts as digits too.
        {L"\xFF11\xFF12", 12},                 // full-width, as a Japanese disc may write them
        {L"\x0661\x0662x", 12},                // Arabic-Indic
        {L"1\x0967\x0E52", 112},               // Devanagari and Thai after an ASCII digit
        {L"\x17E9\x1819\x0F29\x1049", 9999},  // the last digit of four more scripts
        {L"\xFF1A", 0},                         // the full-width colon after the digits
        {L"\x0BE7", 0},                         // Tamil digits are not among them
        {L"\x3000" L"7", 7},                    // ideographic space before the number
        {L"\x0085" L"4", 0},                    // next-line is not white space to the CRT
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseLeadingInt(c.text), c.expected) << "\"" << Escaped(c.text) << "\"";
    }
}

TEST(IsWhiteSpace, ClassifiesLikeTheCrt) {
    struct Case {
        wchar_t c;
        bool space;
    };
    const Case cases[] = {
        {L' ', true},    {L'\t', true},   {L'\n', true},   {L'\v', true},   {L'\f', true},
        {L'\r', true},   {0x00A0, true},  {0x1680, true},  {0x2000, true},  {0x200A, true},
        {0x2028, true},  {0x2029, true},  {0x202F, true},  {0x205F, true},  {0x3000, true},
        {0x0085, false}, {0x001C, false}, {0x001F, false}, {0x200B, false}, {0xFEFF, false},
        {0x180E, false}, {L'x', false},   {0x0000, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsWhiteSpace(c.c), c.space) << "U+" << std::hex << static_cast<unsigned>(c.c);
    }
}

#if defined(_WIN32)
// The Windows build holds the two helpers against the CRT itself, character by character.
TEST(IsWhiteSpace, SameAsIswspaceForEveryCharacter) {
    int mismatches = 0;
    for (unsigned c = 0; c <= 0xFFFF && mismatches < 10; ++c) {
        const bool crt = std::iswspace(static_cast<wint_t>(c)) != 0;
        if (IsWhiteSpace(static_cast<wchar_t>(c)) == crt) continue;
        ADD_FAILURE() << "U+" << std::hex << c << ": iswspace " << crt;
        ++mismatches;
    }
}

TEST(ParseLeadingInt, SameAsWtoiForEveryLeadingCharacter) {
    int mismatches = 0;
    for (unsigned c = 1; c <= 0xFFFF && mismatches < 10; ++c) {
        const wchar_t text[] = {static_cast<wchar_t>(c), L'5', 0};
        if (ParseLeadingInt(text) == _wtoi(text)) continue;
        ADD_FAILURE() << "U+" << std::hex << c << " then 5: _wtoi " << std::dec << _wtoi(text) << ", ours "
                      << ParseLeadingInt(text);
        ++mismatches;
    }
}
#endif

TEST(CaseHandling, UpperCasesAndComparesBeyondAscii) {
    EXPECT_EQ(ToUpperText(L"pci\\ven_8086&dev_27d8"), L"PCI\\VEN_8086&DEV_27D8");
    EXPECT_EQ(ToUpperText(L"\u00e9t\u00e9 \u00ff"), L"\u00c9T\u00c9 \u0178");
    EXPECT_EQ(ToUpperText(L"\u0436\u0451"), L"\u0416\u0401");
    EXPECT_EQ(ToUpperText(L"\u03c3\u03c2\u00b5"), L"\u03a3\u03a3\u039c");
    EXPECT_TRUE(EqualsNoCase(L"ShowOS", L"showos"));
    EXPECT_TRUE(EqualsNoCase(L"Microsoft", L"MICROSOFT"));
    EXPECT_FALSE(EqualsNoCase(L"32BIT", L"32BITS"));
    EXPECT_FALSE(EqualsNoCase(L"ab", L"ac"));
}

TEST(TrimWhiteSpace, RemovesTabsAndBlanksAtBothEnds) {
    EXPECT_EQ(TrimWhiteSpace(L" \t a b \t\r\n"), L"a b");
    EXPECT_EQ(TrimWhiteSpace(L"\t \t"), L"");
}

}  // namespace
}  // namespace tavelin
