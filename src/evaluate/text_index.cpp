#include "evaluate/text_index.h"

#include "config/text.h"

namespace tavelin {

namespace {

std::size_t SlotCountFor(std::size_t texts) {
    std::size_t slots = 16;
    while (slots < texts * 2) slots *= 2;
    return slots;
}

}  // namespace

TextIndex::TextIndex(std::size_t expected) : m_slots(SlotCountFor(expected)) { m_texts.reserve(expected); }

// The slot that holds the text, or the empty one where it belongs.
std::size_t TextIndex::SlotOf(std::wstring_view text, std::uint32_t hash) const {
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot& slot = m_slots[at];
        if (slot.number < 0) return at;
        if (slot.hash == hash && m_texts[static_cast<std::size_t>(slot.number)] == text) return at;
    }
}

TextIndex::Entry TextIndex::Insert(std::wstring_view text) {
    const auto hash = static_cast<std::uint32_t>(TextHash{}(text));
    std::size_t at = SlotOf(text, hash);
    if (m_slots[at].number >= 0) return {static_cast<std::size_t>(m_slots[at].number), false};
    if ((m_texts.size() + 1) * 2 > m_slots.size()) {
        Grow();
        at = SlotOf(text, hash);
    }
    m_slots[at] = {hash, static_cast<std::int32_t>(m_texts.size())};
    m_texts.push_back(text);
    return {m_texts.size() - 1, true};
}

std::ptrdiff_t TextIndex::Find(std::wstring_view text) const {
    const Slot& slot = m_slots[SlotOf(text, static_cast<std::uint32_t>(TextHash{}(text)))];
    return slot.number;
}

void TextIndex::Grow() {
    std::vector<Slot> old(m_slots.size() * 2);
    old.swap(m_slots);
    const std::size_t mask = m_slots.size() - 1;
    for (const Slot& slot : old) {
        if (slot.number < 0) continue;
        std::size_t at = slot.hash & mask;
        while (m_slots[at].number >= 0) at = (at + 1) & mask;
        m_slots[at] = slot;
    }
}

}  // namespace tavelin
