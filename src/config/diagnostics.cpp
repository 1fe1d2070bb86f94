#include "config/diagnostics.h"

#include "config/text.h"

namespace tavelin {
namespace {

struct Switch {
    const wchar_t* name;
    bool DiagnosticSwitches::*flag;
};
const Switch kSwitches[] = {
    {L"ShowModel", &DiagnosticSwitches::m_bShowModel},
    {L"ShowOS", &DiagnosticSwitches::m_bShowOS},
    {L"ShowErrorMessage", &DiagnosticSwitches::m_bShowErrorMessage},
    {L"ShowItemStatus", &DiagnosticSwitches::m_bShowItemStatus},
    {L"ShowItemVersionStatus", &DiagnosticSwitches::m_bShowItemVersionStatus},
};

}  // namespace

DiagnosticSwitches ParseDiagnosticSwitches(const std::vector<std::wstring>& arguments) {
    DiagnosticSwitches switches;
    for (const auto& argument : arguments) {
        for (const auto& s : kSwitches) {
            if (EqualsNoCase(argument, s.name)) switches.*(s.flag) = true;
        }
    }
    return switches;
}

std::wstring DiagnosticSwitchesText(const DiagnosticSwitches& switches) {
    std::wstring text;
    for (const auto& s : kSwitches) {
        if (!(switches.*(s.flag))) continue;
        if (!text.empty()) text += L' ';
        text += s.name;
    }
    return text.empty() ? L"none" : text;
}

}  // namespace tavelin
