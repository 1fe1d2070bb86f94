// Lays the main dialog out from the disc's skin: the window size for the screen, the background
// picture, the place of each control. Runs once, during startup.
#pragma once

#include <windows.h>

#include <string>

#include "platform/handles.h"
#include "runlog/run_log.h"

namespace tavelin {

// Sizes `dialog` for the screen, places its controls as the skin file says and hides the Default
// button. Returns the background picture, empty when the skin names none or it cannot be loaded.
// A malformed or missing "Position" shows "Skin error" and asks the program to quit; the
// sections after it are still applied. The log gets the skin file and each error.
UniqueGdiObject ApplySkinLayout(HWND dialog, const std::wstring& discRoot, RunLog& log);

}  // namespace tavelin
