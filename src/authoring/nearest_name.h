// "Did you mean": the known name closest to a misspelt one.
#pragma once

#include <string>
#include <vector>

namespace tavelin {

// The candidate with the fewest single-character edits from `name` (letters compared without
// regard to case), when it is close enough to be a slip of the keyboard: at most a third of the
// name's length, and never the name itself. Empty when none is.
std::wstring NearestName(const std::wstring& name, const std::vector<std::wstring>& candidates);

}  // namespace tavelin
