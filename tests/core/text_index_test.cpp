// The numbering of distinct texts behind the evaluation's tables of answers and class keys.
#include "evaluate/text_index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavelin {
namespace {

TEST(TextIndex, NumbersDistinctTextsInTheOrderFirstGiven) {
    struct Case {
        const char* label;
        std::size_t expected;  // room asked for
        std::vector<std::wstring> texts;
        std::vector<std::size_t> numbers;
    } const cases[] = {
        {"repeats keep their number", 4, {L"PCI\\VEN_1", L"USB\\VID_2", L"PCI\\VEN_1", L"USB\\VID_2"}, {0, 1, 0, 1}},
        {"texts that differ in one character or in case", 0, {L"VEN_1", L"VEN_2", L"ven_1", L"VEN_1", L"VEN_"},
         {0, 1, 2, 0, 3}},
        {"the empty text is a text", 1, {L"", L"A", L""}, {0, 1, 0}},
    };
    for (const Case& c : cases) {
        TextIndex index(c.expected);
        std::vector<std::size_t> numbers;
        std::size_t added = 0;
        for (const std::wstring& text : c.texts) {
            const TextIndex::Entry entry = index.Insert(text);
            numbers.push_back(entry.number);
            added += entry.added ? 1 : 0;
        }
        EXPECT_EQ(numbers, c.numbers) << c.label;
        EXPECT_EQ(index.Size(), added) << c.label;
        for (std::size_t i = 0; i < c.texts.size(); ++i) {
            EXPECT_EQ(index.Find(c.texts[i]), static_cast<std::ptrdiff_t>(c.numbers[i])) << c.label;
        }
        EXPECT_EQ(index.Find(L"never given"), -1) << c.label;
    }
}

// Far more texts than the room asked for: the table grows and every text keeps its number.
TEST(TextIndex, GrowsBeyondTheRoomAskedFor) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < 3000; ++i) texts.push_back(L"ROOT\\DEV_" + std::to_wstring(i * 7919 % 3001));
    TextIndex index(2);
    for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_TRUE(index.Insert(texts[i]).added) << i;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const TextIndex::Entry again = index.Insert(texts[i]);
        EXPECT_FALSE(again.added) << i;
        EXPECT_EQ(again.number, i);
    }
    EXPECT_EQ(index.Size(), texts.size());
}

// An entry pointed at a lasting copy of its text answers for that text once the first is gone.
TEST(TextIndex, RekeyedEntryOutlivesTheTextFirstGiven) {
    const std::wstring lasting = L"{4D36E968}\\0001";
    TextIndex index;
    {
        std::wstring passing = lasting;
        ASSERT_TRUE(index.Insert(passing).added);
        index.Rekey(0, lasting);
        passing.assign(passing.size(), L'#');
    }
    EXPECT_EQ(index.Find(lasting), 0);
    EXPECT_FALSE(index.Insert(std::wstring(lasting)).added);
}

}  // namespace
}  // namespace tavelin
