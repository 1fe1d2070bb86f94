// Texts of the small dialogs, composed without the window system so that they are tested natively.
#pragma once

#include <string>

namespace tavelin {

// "V" and the product version's comma-separated parts, each of the first three followed by ".":
// 1,2,3,4 gives V1.2.3.4. An unreadable version (empty text) is one empty part and gives "V.".
std::wstring AboutVersionText(const std::wstring& productVersion);

// The please-wait animation: the base text followed by dotCount + 1 full stops.
std::wstring PleaseWaitText(const std::wstring& baseText, int dotCount);
// The dot count after a tick: one more, and 0 once it reaches 10 (a ten-second cycle).
int NextPleaseWaitDotCount(int dotCount);

}  // namespace tavelin
