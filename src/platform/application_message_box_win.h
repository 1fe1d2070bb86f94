// The application message box every diagnostic and refusal of the program uses. It behaves as the
// application framework's does: a box asked for without an icon gets the one that goes with its
// buttons (the exclamation mark for OK boxes, the question mark for Yes/No boxes), so that a
// refusal on screen looks like a warning, not like a plain note.
#pragma once

#include <windows.h>

#include <string>

namespace tavelin {

// The style actually shown for an application message box asked for with `type`.
UINT ApplicationMessageBoxStyle(UINT type);

int ShowApplicationMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);

}  // namespace tavelin
