// Copies of texts that stay where they are for the arena's life, many in each block: one
// allocation for thousands of short texts (device key names, hardware ids, versions) that are kept
// as views, instead of one string each.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace tavelin {

class TextArena {
public:
    TextArena() = default;
    TextArena(const TextArena&) = delete;
    TextArena& operator=(const TextArena&) = delete;

    // A copy of the text that stays valid and unchanged until the arena is destroyed.
    std::wstring_view Keep(std::wstring_view text) {
        if (text.empty()) return {};
        if (text.size() > m_left) {
            const std::size_t size = std::max(kBlockCharacters, text.size());
            m_blocks.emplace_back(new wchar_t[size]);  // left uninitialised: every character is written before use
            m_next = m_blocks.back().get();
            m_left = size;
        }
        std::copy(text.begin(), text.end(), m_next);
        const std::wstring_view kept(m_next, text.size());
        m_next += text.size();
        m_left -= text.size();
        return kept;
    }

private:
    static constexpr std::size_t kBlockCharacters = 16384;
    std::vector<std::unique_ptr<wchar_t[]>> m_blocks;
    wchar_t* m_next = nullptr;
    std::size_t m_left = 0;
};

}  // namespace tavelin
