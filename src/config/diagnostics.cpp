#include "config/diagnostics.h"

#include "config/text.h"

namespace tavelin {

DiagnosticSwitches ParseDiagnosticSwitches(const std::vector<std::wstring>& arguments) {
    DiagnosticSwitches switches;
    struct Switch {
        const wchar_t* name;
        bool DiagnosticSwitches::*flag;
    };
    static const Switch kSwitches[] = {
        {L"ShowModel", &DiagnosticSwitches::m_bShowModel},
        {L"ShowOS", &DiagnosticSwitches::m_bShowOS},
        {L"ShowErrorMessage", &DiagnosticSwitches::m_bShowErrorMessage},
        {L"ShowItemStatus", &DiagnosticSwitches::m_bShowItemStatus},
        {L"ShowItemVersionStatus", &DiagnosticSwitches::m_bShowItemVersionStatus},
    };
    for (const auto& argument : arguments) {
        for (const auto& s : kSwitches) {
            if (EqualsNoCase(argument, s.name)) switches.*(s.flag) = true;
        }
    }
    return switches;
}

}  // namespace tavelin
