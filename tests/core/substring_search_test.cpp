// The many-patterns search behind the driver lookups against the plain search it replaces, both
// with its transition table and with the failure links it follows when the table would be too
// large.
#include "evaluate/substring_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tavelin {
namespace {

std::vector<int> PlainSearch(const std::vector<std::wstring_view>& patterns, const std::vector<std::wstring>& names) {
    std::vector<int> first(patterns.size(), -1);
    for (std::size_t id = 0; id < patterns.size(); ++id) {
        for (std::size_t index = 0; index < names.size(); ++index) {
            if (names[index].find(patterns[id]) != std::wstring::npos) {
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
    const std::vector<int> expected = PlainSearch(patterns, names);
    EXPECT_EQ(FirstNamesContaining(patterns, names), expected) << label << ", with the table";
    EXPECT_EQ(FirstNamesContaining(patterns, names, 0), expected) << label << ", by the failure links";
}

TEST(FirstNamesContaining, DeviceKeysOfABus) {
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

// Patterns and names over a few characters, so that they overlap, nest and repeat in every way;
// some characters beyond ASCII, and some that only the names have.
TEST(FirstNamesContaining, RandomTextsOverFewCharacters) {
    std::mt19937 random(20261210);
    const std::wstring patternCharacters = L"ab&\u00e9\u4e2d";
    const std::wstring nameCharacters = patternCharacters + L"xZ";
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
