// The raw answers of the Windows version functions in one line of text, for the run log: what
// the OS key was built from, so that a key nobody expected can be traced to the answer behind it.
#pragma once

#include <string>

#include "probe/os_key.h"

namespace tavelin {

// "version 6.1, platform 2, product type 1, product info 0x0000001C, native architecture 9,
// WOW64 no, 64-bit process yes, editions none, language 0x0409". An answer the system did not
// give reads "unknown" (or "not available" where the function is missing).
std::wstring OsFactsText(const OsFacts& facts);

}  // namespace tavelin
