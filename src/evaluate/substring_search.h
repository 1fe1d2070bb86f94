// Many-patterns-against-many-names substring search: which name is the first to contain each
// pattern. Device lookups need this for every hardware id of a disc against every device key of an
// enumerator; doing it pattern by pattern costs patterns x names.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tavelin {

// For each pattern, the index of the first name that contains it (an empty pattern is in every
// name), or -1. Builds one automaton over the patterns and reads every name once.
std::vector<int> FirstNamesContaining(const std::vector<std::wstring_view>& patterns,
                                      const std::vector<std::wstring>& names);

// The automaton precomputes its transitions in one table when that has at most this many entries
// (4 MB; a disc of 2,000 hardware ids of one bus needs a small part of it), and otherwise follows
// its failure links while reading, in less memory and more time. The same search with another
// bound, so that tests can compare both ways.
inline constexpr std::size_t kMaxTransitionTableEntries = std::size_t{1} << 20;
std::vector<int> FirstNamesContaining(const std::vector<std::wstring_view>& patterns,
                                      const std::vector<std::wstring>& names, std::size_t maxTableEntries);

}  // namespace tavelin
