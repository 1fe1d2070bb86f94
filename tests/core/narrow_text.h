// Wide texts of the tests as narrow ones, for readable failure messages and comparisons with
// narrow literals. The texts are ASCII; each character is kept as its low byte.
#pragma once

#include <string>
#include <string_view>

namespace tavelin {

inline std::string Narrow(std::wstring_view text) { return std::string(text.begin(), text.end()); }

}  // namespace tavelin
