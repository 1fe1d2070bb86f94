// The system's ANSI code page for the profile reader: files without a byte-order mark are read in
// it, as the system's own reader reads them.
#pragma once

#include <string>
#include <string_view>

namespace tavelin {

// Matches AnsiDecoder (config/profile_file.h).
std::wstring DecodeAnsiCodePage(std::string_view bytes);

}  // namespace tavelin
