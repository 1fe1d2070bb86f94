// Many-patterns-against-many-names substring search: which name is the first to contain each
// pattern. Device lookups need this for every hardware id of a disc against every device key of an
// enumerator; doing it pattern by pattern costs patterns x names.
#pragma once

#include <string>
#include <vector>

namespace tavelin {

// For each pattern, the index of the first name that contains it (an empty pattern is in every
// name), or -1. Builds one automaton over the patterns and reads every name once.
std::vector<int> FirstNamesContaining(const std::vector<std::wstring>& patterns,
                                      const std::vector<std::wstring>& names);

}  // namespace tavelin
