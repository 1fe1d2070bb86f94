// Many-patterns-against-many-names substring search: which name is the first to contain each
// pattern. Device lookups need this for every hardware id of a disc against every device key of an
// enumerator; doing it pattern by pattern costs patterns x names.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace tavelin {

// The automaton precomputes its transitions in one table when that has at most this many entries
// (4 MB; a disc of 2,000 hardware ids of one bus needs a small part of it), and otherwise follows
// its failure links while reading, in less memory and more time; tests pass another bound to
// compare both ways.
inline constexpr std::size_t kMaxTransitionTableEntries = std::size_t{1} << 20;

// The same search fed one name at a time, for callers that keep their names in their own form.
class FirstFoldedNameSearch {
public:
    explicit FirstFoldedNameSearch(const std::vector<std::wstring_view>& patterns,
                                   std::size_t maxTableEntries = kMaxTransitionTableEntries);
    ~FirstFoldedNameSearch();
    FirstFoldedNameSearch(const FirstFoldedNameSearch&) = delete;
    FirstFoldedNameSearch& operator=(const FirstFoldedNameSearch&) = delete;

    // Reads the next name; names are numbered from 0 in the order read.
    void Read(std::wstring_view name);
    // Every pattern has its first name: reading more changes nothing.
    bool Done() const { return m_open == 0 && (m_emptyIds.empty() || m_read > 0); }
    // For each pattern, the first name read that contains it, or -1.
    const std::vector<int>& First() const { return m_first; }

private:
    struct Automaton;
    std::unique_ptr<Automaton> m_automaton;  // none when every pattern is empty
    std::vector<int> m_first;
    std::vector<int> m_emptyIds;  // in every name, so in the first one read
    std::size_t m_open = 0;       // non-empty patterns not found yet
    int m_read = 0;
};

// For each pattern, the index of the first name that contains it once the name is upper-cased
// character by character with ToUpperChar (the pattern is taken as it is; an empty pattern is in
// every name), or -1. Builds one automaton over the patterns and reads every name once, folding
// as it reads, so the names need no upper-cased copy.
std::vector<int> FirstFoldedNamesContaining(const std::vector<std::wstring_view>& patterns,
                                            const std::vector<std::wstring_view>& names,
                                            std::size_t maxTableEntries = kMaxTransitionTableEntries);

}  // namespace tavelin
