#include "ui/ui_texts.h"

#include <iterator>

#include "config/text.h"

namespace tavelin {

static_assert(IDS_LAST_UI_TEXT - IDS_FIRST_UI_TEXT + 1 == 25, "the program has 25 user-interface texts");

namespace {

// The reason ids by name, as a translator finds them in resource.h, against the templates they
// replace: a template added or moved in one place and not the other fails to build.
struct ReasonId {
    int id;
    ReasonText text;
};
constexpr ReasonId kReasonIds[] = {
    {IDS_REASON_OFFERED_DRIVER_OLDER, ReasonText::OfferedDriverOlder},
    {IDS_REASON_OFFERED_DRIVER_MISSING, ReasonText::OfferedDriverMissing},
    {IDS_REASON_OFFERED_DRIVER_UNREADABLE, ReasonText::OfferedDriverUnreadable},
    {IDS_REASON_OFFERED_DRIVER_UNCOMPARABLE, ReasonText::OfferedDriverUncomparable},
    {IDS_REASON_OFFERED_WINDOWS_DRIVER, ReasonText::OfferedWindowsDriver},
    {IDS_REASON_OFFERED_ALWAYS, ReasonText::OfferedAlways},
    {IDS_REASON_OFFERED_WITHOUT_DEVICE, ReasonText::OfferedWithoutDevice},
    {IDS_REASON_OFFERED_APPLICATION_OLDER, ReasonText::OfferedApplicationOlder},
    {IDS_REASON_OFFERED_NOT_INSTALLED, ReasonText::OfferedNotInstalled},
    {IDS_REASON_OFFERED_UNCOMPARABLE, ReasonText::OfferedUncomparable},
    {IDS_REASON_OFFERED_AGAIN, ReasonText::OfferedAgain},
    {IDS_REASON_GREYED_SAME, ReasonText::GreyedSame},
    {IDS_REASON_GREYED_NEWER, ReasonText::GreyedNewer},
    {IDS_REASON_GREYED_PRESENT, ReasonText::GreyedPresent},
    {IDS_REASON_GREYED_NOTHING_TO_INSTALL, ReasonText::GreyedNothingToInstall},
    {IDS_REASON_NOT_OFFERED_NO_DEVICE, ReasonText::NotOfferedNoDevice},
    {IDS_REASON_NOT_OFFERED_NO_DEVICES, ReasonText::NotOfferedNoDevices},
    {IDS_REASON_NOT_OFFERED_MISSING_DEVICE, ReasonText::NotOfferedMissingDevice},
    {IDS_REASON_NOT_OFFERED_HIDDEN, ReasonText::NotOfferedHidden},
    {IDS_REASON_NOT_OFFERED_OPERATING_SYSTEM, ReasonText::NotOfferedOperatingSystem},
    {IDS_REASON_NOT_OFFERED_LANGUAGE, ReasonText::NotOfferedLanguage},
    {IDS_REASON_NOT_OFFERED_UNKNOWN_TYPE, ReasonText::NotOfferedUnknownType},
    {IDS_REASON_NOT_OFFERED_MODEL, ReasonText::NotOfferedModel},
    {IDS_REASON_NOT_OFFERED_BITNESS, ReasonText::NotOfferedBitness},
    {IDS_REASON_NOT_OFFERED_NO_TITLE, ReasonText::NotOfferedNoTitle},
    {IDS_REASON_SHOWN_BY_RULE, ReasonText::ShownByRule},
    {IDS_REASON_CHECKED_FOR_DEPENDENCE, ReasonText::CheckedForDependence},
    {IDS_REASON_CLEARED_FOR_DEPENDENCE, ReasonText::ClearedForDependence},
    {IDS_REASON_UNKNOWN_VALUE, ReasonText::UnknownValue},
};

constexpr bool ReasonIdsFollowTheTemplates() {
    for (const ReasonId& reason : kReasonIds) {
        if (reason.id != kFirstReasonTextId + static_cast<int>(reason.text)) return false;
    }
    return true;
}
static_assert(std::size(kReasonIds) == kReasonTextCount, "every reason template has an id");
static_assert(IDS_FIRST_REASON_TEXT == kFirstReasonTextId &&
                  IDS_LAST_REASON_TEXT == kFirstReasonTextId + static_cast<int>(kReasonTextCount) - 1,
              "the reason ids are the templates' string-table range");
static_assert(ReasonIdsFollowTheTemplates(), "each reason id names its template");

}  // namespace

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

    m_restartNow = LoadStringText(source, IDS_RESTART_NOW);
    if (m_restartNow.empty()) m_restartNow = LoadStringText(program, IDS_RESTART_NOW);
    m_insertDisc = LoadStringText(source, IDS_INSERT_DISC);
    if (m_insertDisc.empty()) m_insertDisc = LoadStringText(program, IDS_INSERT_DISC);

    // The program's string table has no reasons (their English is built in), and a null module
    // would read that table: only a loaded library is asked.
    m_reasons = ReasonTexts();
    if (languageLibrary == nullptr) return;
    for (const ReasonId& reason : kReasonIds) m_reasons.Set(reason.text, LoadStringText(languageLibrary, reason.id));
}

const std::wstring& UiTexts::Get(int id) const {
    static const std::wstring empty;
    if (id == IDS_RESTART_NOW) return m_restartNow;
    if (id == IDS_INSERT_DISC) return m_insertDisc;
    if (id < IDS_FIRST_UI_TEXT || id > IDS_LAST_UI_TEXT) return empty;
    return m_texts[static_cast<std::size_t>(id - IDS_FIRST_UI_TEXT)];
}

}  // namespace tavelin
