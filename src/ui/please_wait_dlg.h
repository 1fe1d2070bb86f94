// The please-wait dialog shown after an installation run: the base text with a row of dots that
// grows every second, closing itself after the disc's number of seconds. Enter and Escape never
// close it (keys and the wheel go to the dialog itself, not to the dialog manager); F2 does.
#pragma once

#include <string>

#include "ui/dialog_base.h"

namespace tavelin {

class CPleaseWaitDlg : public DialogBase {
public:
    explicit CPleaseWaitDlg(HINSTANCE instance);

    std::wstring m_strBaseText;  // set by the creator before the dialog runs
    int m_nSeconds = 0;          // how long the dialog stays open

protected:
    BOOL OnInitDialog() override;
    bool PreTranslateMessage(MSG& message) override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    static constexpr UINT_PTR kCloseTimer = 1;
    static constexpr UINT_PTR kAnimationTimer = 2;

    int m_nDotCount = 0;
};

}  // namespace tavelin
