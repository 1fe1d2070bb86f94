#include "config/text.h"

#include <gtest/gtest.h>

namespace tavelin {
namespace {

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
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseLeadingInt(c.text), c.expected) << "'" << std::wstring(c.text).size() << "' chars";
    }
}

TEST(CaseHandling, UpperCasesAndComparesBeyondAscii) {
    EXPECT_EQ(ToUpperText(L"pci\\ven_8086&dev_27d8"), L"PCI\\VEN_8086&DEV_27D8");
    EXPECT_EQ(ToUpperText(L"\u00e9t\u00e9 \u00ff"), L"\u00c9T\u00c9 \u0178");
    EXPECT_EQ(ToUpperText(L"\u0436\u0451"), L"\u0416\u0401");
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
