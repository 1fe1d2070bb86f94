// The program's application message box: the text, the program's title as caption, and the
// buttons asked for, with the framework's icon for them unless another is asked for. Also the
// MessageSink through which portable code shows its diagnostics.
#pragma once

#include <windows.h>

#include <string>

#include "config/diagnostics.h"

namespace tavelin {

// The caption of application message boxes: the program file's name without its extension.
const std::wstring& ApplicationTitle();

int AppMessageBox(HWND owner, const std::wstring& text, UINT type = MB_OK);

class WindowMessageSink : public MessageSink {
public:
    explicit WindowMessageSink(const HWND& owner) : m_owner(owner) {}
    void ShowMessage(const std::wstring& text) override { AppMessageBox(m_owner, text, MB_OK); }

private:
    const HWND& m_owner;  // refers to the dialog's window member, which is set after construction
};

}  // namespace tavelin
