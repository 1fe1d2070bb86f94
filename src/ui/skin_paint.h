// Painting of the skinned main dialog: the background picture under the controls, the program
// icon when minimised, and static texts that let the picture show through.
#pragma once

#include <windows.h>

namespace tavelin {

// WM_PAINT. Without a picture the dialog keeps the background its erase gave it.
void PaintSkinnedDialog(HWND dialog, HBITMAP skin, HICON icon);

// WM_ERASEBKGND: true when the picture covers the client area, so that the erase is skipped and
// the window does not flash the dialog colour before every paint.
bool SkinCoversBackground(HWND dialog, HBITMAP skin);

// WM_CTLCOLORSTATIC: transparent text on a hollow brush.
HBRUSH TransparentStaticBrush(HDC dc);

}  // namespace tavelin
