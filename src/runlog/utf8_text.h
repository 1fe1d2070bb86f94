// Wide text as UTF-8 bytes, for the run log. The program's texts are UTF-16 on Windows (wchar_t
// holds 32-bit code points in the native build); either way every input gives well-formed UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace tavelin {

// A surrogate pair becomes the one character it encodes, and so does a pair split into two
// 32-bit units. A surrogate without its partner, and a value above U+10FFFF, can come from a
// damaged registry value or file name; each becomes U+FFFD, so the log stays readable.
std::string EncodeUtf8(std::wstring_view text);

}  // namespace tavelin
