// Dense numbers for distinct texts, in the order they are first given: the evaluation's tables of
// answers by hardware id and of driver class keys by "Driver" value. One open-addressing table of
// numbers and hashes, with no allocation per text; the texts themselves are views, which must stay
// valid as long as the index (Rekey points one at a lasting copy).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tavelin {

class TextIndex {
public:
    // Room for `expected` texts before the table grows.
    explicit TextIndex(std::size_t expected = 0);

    struct Entry {
        std::size_t number;  // 0 for the first distinct text, 1 for the next, ...
        bool added;          // the text was not there before
    };
    Entry Insert(std::wstring_view text);
    // The number of the text, or -1 when it was never inserted.
    std::ptrdiff_t Find(std::wstring_view text) const;
    // Points the entry of a number at another copy of the same text.
    void Rekey(std::size_t number, std::wstring_view sameText) { m_texts[number] = sameText; }
    std::size_t Size() const { return m_texts.size(); }

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::int32_t number = -1;  // -1: empty
    };
    std::size_t SlotOf(std::wstring_view text, std::uint32_t hash) const;
    void Grow();

    std::vector<Slot> m_slots;  // a power of two, at most half full
    std::vector<std::wstring_view> m_texts;
};

}  // namespace tavelin
