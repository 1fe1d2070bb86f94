// The five command-line switches and the sink for the program's message boxes. Portable code
// reports through this interface; the program shows each text in a plain OK message box, tests
// record them.
#pragma once

#include <string>

namespace tavelin {

struct DiagnosticSwitches {
    bool m_bShowModel = false;
    bool m_bShowOS = false;
    bool m_bShowErrorMessage = false;
    bool m_bShowItemStatus = false;
    bool m_bShowItemVersionStatus = false;
};

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // A plain message box with the text and an OK button; returns when the user has answered.
    virtual void ShowMessage(const std::wstring& text) = 0;
};

}  // namespace tavelin

#include <vector>

namespace tavelin {

// Each switch is on when any argument, the program's own path (argument 0) included, equals its
// name without regard to case. Unknown arguments are ignored.
DiagnosticSwitches ParseDiagnosticSwitches(const std::vector<std::wstring>& arguments);

// The names of the switches that are on, separated by blanks ("ShowOS ShowModel"), or "none".
std::wstring DiagnosticSwitchesText(const DiagnosticSwitches& switches);

}  // namespace tavelin
