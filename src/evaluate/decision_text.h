// The texts made from decision records: the one- or two-line reason a row's tooltip shows (which a
// language library may translate), and the detailed lines of the run log (always English, for
// whoever supports the disc's users).
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "config/catalogue.h"
#include "evaluate/decision_record.h"

namespace tavelin {

// The reason templates, in string-table order: a language library's string kFirstReasonTextId + n
// replaces template n. "%1", "%2", ... stand for the values each template is given.
enum class ReasonText : std::size_t {
    OfferedDriverOlder,         // installed version, installed date, disc version, disc date
    OfferedDriverMissing,       // hardware id
    OfferedDriverUnreadable,    // hardware id
    OfferedDriverUncomparable,  // installed version, disc version
    OfferedWindowsDriver,       // installed version, disc version
    OfferedAlways,              // installed version, disc version
    OfferedWithoutDevice,
    OfferedApplicationOlder,    // installed version, disc version
    OfferedNotInstalled,        // registry key
    OfferedUncomparable,        // installed version, disc version
    OfferedAgain,
    GreyedSame,
    GreyedNewer,                // installed version, disc version
    GreyedPresent,              // registry key
    GreyedNothingToInstall,
    NotOfferedNoDevice,         // hardware id
    NotOfferedNoDevices,        // count of hardware ids, the first of them
    NotOfferedMissingDevice,    // hardware id
    NotOfferedHidden,           // rule key, item numbers
    NotOfferedOperatingSystem,  // the item's OS names, this machine's OS name
    NotOfferedLanguage,         // the item's languages, this machine's language tag
    NotOfferedUnknownType,
    NotOfferedModel,            // the item's models
    NotOfferedBitness,          // the item's system types
    NotOfferedNoTitle,
    ShownByRule,                // rule key, item numbers
    CheckedForDependence,       // title of the item that needs it
    ClearedForDependence,       // title of the item it needs
    UnknownValue,               // shown for an empty version, date or OS name
    Count
};

constexpr int kFirstReasonTextId = 200;
constexpr std::size_t kReasonTextCount = static_cast<std::size_t>(ReasonText::Count);

class ReasonTexts {
public:
    // The program's own English templates.
    ReasonTexts();
    const std::wstring& Get(ReasonText text) const { return m_texts[static_cast<std::size_t>(text)]; }
    // A translation; an empty text keeps the English one.
    void Set(ReasonText text, std::wstring translation);

private:
    std::array<std::wstring, kReasonTextCount> m_texts;
};

// "%1" to "%9" replaced by the values in order; "%%" is one "%"; a placeholder without a value
// reads as empty.
std::wstring FillTemplate(const std::wstring& pattern, const std::vector<std::wstring>& values);

// A driver date as Windows stores it (month-day-year) in ISO form, 2019-03-01; other text as is.
std::wstring ReadableDate(const std::wstring& date);

// The reason for an item: one line, and a second one when a visibility rule showed the item or a
// dependence last changed its check box.
std::wstring ReasonSummary(const DecisionRecord& decision, const ReasonTexts& texts);

// The reason for an item section that never became an item.
std::wstring DroppedItemReason(const DroppedItem& dropped, const ReasonTexts& texts);

// Everything the record holds, for the run log: a heading line with the item's number, title,
// type, outcome and reason, then one line per finding.
std::vector<std::wstring> DecisionLogLines(const DecisionRecord& decision, const std::wstring& title);

}  // namespace tavelin
