#include "ui/ui_texts.h"

#include "config/text.h"

namespace tavelin {

static_assert(IDS_LAST_UI_TEXT - IDS_FIRST_UI_TEXT + 1 == 25, "the program has 25 user-interface texts");

std::wstring LoadStringText(HINSTANCE module, int id) {
    // The texts are loaded into a 256-character buffer, so longer translations are cut there.
    wchar_t buffer[256] = {};
    const int length = LoadStringW(module, static_cast<UINT>(id), buffer, 256);
    return length > 0 ? std::wstring(buffer, static_cast<std::size_t>(length)) : std::wstring();
}

void UiTexts::Load(HMODULE languageLibrary, HINSTANCE program) {
    HINSTANCE source = languageLibrary != nullptr ? static_cast<HINSTANCE>(languageLibrary) : program;
    for (int id = IDS_FIRST_UI_TEXT; id <= IDS_LAST_UI_TEXT; ++id) {
        std::wstring text = LoadStringText(source, id);
        // The OS-refusal heading is composed into a message, so its surrounding blanks are dropped.
        if (id == IDS_SUITABLE_OS) text = TrimWhiteSpace(text);
        if (text.empty()) {
            text = LoadStringText(program, id);
            if (id == IDS_SUITABLE_OS) text = TrimWhiteSpace(text);
        }
        m_texts[static_cast<std::size_t>(id - IDS_FIRST_UI_TEXT)] = std::move(text);
    }
}

const std::wstring& UiTexts::Get(int id) const {
    static const std::wstring empty;
    if (id < IDS_FIRST_UI_TEXT || id > IDS_LAST_UI_TEXT) return empty;
    return m_texts[static_cast<std::size_t>(id - IDS_FIRST_UI_TEXT)];
}

}  // namespace tavelin
