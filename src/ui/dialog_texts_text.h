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

// The system's longest timer period (USER_TIMER_MAXIMUM), about 24.8 days.
constexpr unsigned kMaxTimerPeriodMs = 0x7FFFFFFF;
// How long the please-wait dialog stays, in timer milliseconds: 0 for no wait, and no more than
// the system's timer takes, however many seconds a disc asks for (seconds * 1000 would wrap).
unsigned PleaseWaitLifetimeMs(int seconds);

}  // namespace tavelin
