// Wide texts of the program (paths, registry values, window texts) as test messages print them:
// ASCII kept, anything else shown as '?'.
#pragma once

#include <string>

namespace tavelin::testing {

inline std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) narrow += c < 128 ? static_cast<char>(c) : '?';
    return narrow;
}

}  // namespace tavelin::testing
