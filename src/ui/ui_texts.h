// The 25 user-interface texts (string-table ids 103 to 127), taken from the language library where
// it has them and from the program's own string table otherwise; and the reason templates of the
// list's tooltips (ids 200 and on), taken from the language library where it has them and from the
// program's built-in English otherwise.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "evaluate/decision_text.h"
#include "ui/resource.h"

namespace tavelin {

class UiTexts {
public:
    // `languageLibrary` may be null (no language library loaded).
    void Load(HMODULE languageLibrary, HINSTANCE program);

    // The text of one id from 103 to 127, or of IDS_RESTART_NOW or IDS_INSERT_DISC; empty for any other id.
    const std::wstring& Get(int id) const;
    const ReasonTexts& Reasons() const { return m_reasons; }

private:
    static constexpr int kCount = IDS_LAST_UI_TEXT - IDS_FIRST_UI_TEXT + 1;
    std::array<std::wstring, kCount> m_texts;
    std::wstring m_restartNow;
    std::wstring m_insertDisc;
    ReasonTexts m_reasons;
};

// A string of a module's string table; empty when the module has no such string.
std::wstring LoadStringText(HINSTANCE module, int id);

}  // namespace tavelin
