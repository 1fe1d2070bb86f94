#include "platform/application_message_box_win.h"

namespace tavelin {

UINT ApplicationMessageBoxStyle(UINT type) {
    if ((type & MB_ICONMASK) != 0) return type;
    switch (type & MB_TYPEMASK) {
        case MB_OK:
        case MB_OKCANCEL:
            return type | MB_ICONEXCLAMATION;
        case MB_YESNO:
        case MB_YESNOCANCEL:
            return type | MB_ICONQUESTION;
        default:
            return type;
    }
}

int ShowApplicationMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
    return MessageBoxW(owner, text.c_str(), caption.c_str(), ApplicationMessageBoxStyle(type));
}

}  // namespace tavelin
