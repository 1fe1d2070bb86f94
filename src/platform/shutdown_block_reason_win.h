// The reason a window gives Windows for not wanting the session to end now (Vista and later; the
// functions are looked up at run time, since XP, which the program still starts on, lacks them).
// Both calls must come from the thread that made the window.
#pragma once

#include <windows.h>

#include <string>

namespace tavelin {

// False where Windows has no such reason, or refused it.
bool SetShutdownBlockReason(HWND window, const std::wstring& reason);
void ClearShutdownBlockReason(HWND window);

}  // namespace tavelin
