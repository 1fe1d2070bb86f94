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
    void ShowMessage(const std::wstring& text) override {
        if (!m_bSilent) AppMessageBox(m_owner, text, MB_OK);
    }
    // An unattended run shows no box at all; the texts still reach the log through its sink.
    void Silence() { m_bSilent = true; }
    bool Silent() const { return m_bSilent; }

private:
    const HWND& m_owner;  // refers to the dialog's window member, which is set after construction
    bool m_bSilent = false;
};

}  // namespace tavelin
