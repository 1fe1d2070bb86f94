// The many-patterns search behind the driver lookups against the plain search it replaces (every
// name upper-cased, then searched pattern by pattern), both with its transition table and with the
// failure links it follows when the table would be too large.
#include "evaluate/substring_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "config/text.h"

namespace tavelin {
namespace {

std::vector<int> PlainSearch(const std::vector<std::wstring_view>& patterns, const std::vector<std::wstring>& names) {
    std::vector<int> first(patterns.size(), -1);
    for (std::size_t id = 0; id < patterns.size(); ++id) {
        for (std::size_t index = 0; index < names.size(); ++index) {
            if (ToUpperText(names[index]).find(patterns[id]) != std::wstring::npos) {
                first[id] = static_cast<int>(index);
                break;
            }
        }
    }
    return first;
}

void ExpectBothWalksMatchThePlainSearch(const std::vector<std::wstring>& patternTexts,
                                        const std::vector<std::wstring>& names, const std::string& label) {
    const std::vector<std::wstring_view> patterns(patternTexts.begin(), patternTexts.end());
    const std::vector<std::wstring_view> nameViews(names.begin(), names.end());
    const std::vector<int> expected = PlainSearch(patterns, names);
    EXPECT_EQ(FirstFoldedNamesContaining(patterns, nameViews), expected) << label << ", with the table";
    EXPECT_EQ(FirstFoldedNamesContaining(patterns, nameViews, 0), expected) << label << ", by the failure links";
}

TEST(FirstFoldedNamesContaining, DeviceKeysOfABus) {
    const std::vector<std::wstring> names = {
        L"VEN_8086&DEV_27D8&SUBSYS_30B617AA", L"VEN_8086&DEV_27DA&SUBSYS_1", L"VEN_10EC&DEV_8168",
        L"VEN_8086&DEV_27D8&SUBSYS_2",
    };
    ExpectBothWalksMatchThePlainSearch(
        {L"EN_8086&DEV_27D8", L"VEN_8086&DEV_27DA", L"EN_10EC", L"EN_8086&DEV_27D8", L"", L"EN_FFFF",
         L"SUBSYS_2", L"8&SUB", L"VEN_8086&DEV_27D8&SUBSYS_30B617AA&REV_02", L"\u00c9"},
        names, "device keys");
    ExpectBothWalksMatchThePlainSearch({L"", L"EN_8086"}, {}, "no device keys");
    ExpectBothWalksMatchThePlainSearch({}, names, "no patterns");
}

// Names as the registry may hold them (any case, names within names), against the ids of a disc:
// case, prefixes, ids inside other ids, empty ones, letters beyond ASCII. Each row states its answer
// as well as comparing with the plain search, so that both cannot drift together.
TEST(FirstFoldedNamesContaining, EdgeCases) {
    struct Case {
        const char* label;
        std::vector<std::wstring> names;
        std::vector<std::wstring> patterns;
        std::vector<int> expected;
    } const cases[] = {
        {"lower-case names match upper-case ids", {L"ven_10ec&dev_8168", L"VEN_10EC&DEV_8168"},
         {L"EN_10EC&DEV_8168"}, {0}},
        {"mixed-case names", {L"Ven_10eC&Dev_8168&SubSys_1"}, {L"EN_10EC", L"SUBSYS_1", L"DEV_8168&S"}, {0, 0, 0}},
        {"a lower-case id matches no folded name", {L"ven_10ec", L"VEN_10EC"}, {L"en_10ec", L"EN_10ec"}, {-1, -1}},
        {"an id that is a prefix of a longer name", {L"VEN_1000&DEV_00011", L"VEN_1000&DEV_0001"},
         {L"EN_1000&DEV_0001"}, {0}},
        {"a name shorter than the id", {L"VEN_1000", L"VEN_1000&DEV_0001&SUBSYS_2"}, {L"EN_1000&DEV_0001"}, {1}},
        {"ids inside other ids", {L"VEN_1&DEV_2", L"VEN_1&DEV_22", L"VEN_1"},
         {L"VEN_1&DEV_22", L"VEN_1&DEV_2", L"VEN_1", L"N_1&D", L"1"}, {1, 0, 0, 0, 0}},
        {"the same id twice", {L"A", L"BB"}, {L"B", L"B"}, {1, 1}},
        {"overlapping occurrences", {L"AAAB"}, {L"AAB", L"AB", L"AAAA"}, {0, 0, -1}},
        {"an empty id is in the first name", {L"X", L"Y"}, {L"", L"Y"}, {0, 1}},
        {"no names", {}, {L"", L"A"}, {-1, -1}},
        {"an empty name", {L"", L"A"}, {L"A", L""}, {1, 0}},
        {"letters beyond ASCII fold", {L"\u00e9cran", L"\u00c9CRAN"}, {L"\u00c9CRAN", L"\u00e9CRAN"}, {0, -1}},
        {"Cyrillic and full-width letters fold", {L"\u0434\u0435\u0432", L"\uff41"},
         {L"\u0414\u0415\u0412", L"\uff21"}, {0, 1}},
        {"characters of no id reset the walk", {L"VEN_1#0", L"VEN_10"}, {L"EN_10"}, {1}},
        // Names are read four characters at a time: matches ending at every place of a group and
        // in the characters after the last whole group, and a letter beyond ASCII at each place.
        {"a match ending at each place of four and after them",
         {L"A1xx", L"xA2x", L"xxA3", L"xxxA4xxx", L"xxxxxA5x", L"xxxxxxA6", L"xxxxxxxxA7"},
         {L"A1", L"A2", L"A3", L"A4", L"A5", L"A6", L"A7"}, {0, 1, 2, 3, 4, 5, 6}},
        {"a letter beyond ASCII at each place of four and after them",
         {L"\u00e90xx", L"x\u00e91x", L"xx\u00e92", L"xxx\u00e93", L"xxxx\u00e94"},
         {L"\u00c90", L"\u00c91", L"\u00c92", L"\u00c93", L"\u00c94"}, {0, 1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        const std::vector<std::wstring_view> patterns(c.patterns.begin(), c.patterns.end());
        EXPECT_EQ(PlainSearch(patterns, c.names), c.expected) << c.label << ", the plain search";
        ExpectBothWalksMatchThePlainSearch(c.patterns, c.names, c.label);
    }
}

// Patterns and names over a few characters, so that they overlap, nest and repeat in every way;
// some characters beyond ASCII, and some that only the names have.
TEST(FirstFoldedNamesContaining, RandomTextsOverFewCharacters) {
    std::mt19937 random(20261210);
    const std::wstring patternCharacters = L"AB&\u00c9\u4e2db";
    const std::wstring nameCharacters = patternCharacters + L"xzaZ\u00e9";
    auto text = [&](const std::wstring& characters, std::size_t maxLength) {
        std::wstring made(random() % (maxLength + 1), L' ');
        for (wchar_t& c : made) c = characters[random() % characters.size()];
        return made;
    };
    for (int round = 0; round < 300; ++round) {
        std::vector<std::wstring> patterns(random() % 40);
        for (std::wstring& pattern : patterns) pattern = text(patternCharacters, 5);
        if (!patterns.empty() && round % 3 == 0) patterns.push_back(patterns.front());  // a repeated pattern
        std::vector<std::wstring> names(random() % 30);
        for (std::wstring& name : names) name = text(nameCharacters, 12);
        ExpectBothWalksMatchThePlainSearch(patterns, names, "round " + std::to_string(round));
    }
}

}  // namespace
}  // namespace tavelin
