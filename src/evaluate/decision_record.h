// Why each item of the disc is offered, greyed or left out: what every evaluation pass found and
// which rule decided, kept as data beside the item flags. The window's tooltips, the run log and
// the authors' tools make their texts from it (evaluate/decision_text.h); nothing here is prose.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "evaluate/driver_registry_lookup.h"
#include "evaluate/registry.h"
#include "evaluate/text_arena.h"

namespace tavelin {

// The texts of the findings below are views: those of a book's records live in the book's texts
// (DecisionBook::Keep), which every copy of a record keeps alive (DecisionRecord::texts). A disc of
// a thousand hardware ids would otherwise make a few thousand strings per evaluation.

// One hardware id asked of the device libraries.
struct DeviceFinding {
    std::wstring_view hardwareId;
    bool present = false;
    std::wstring_view source;  // the library that found the device; empty when none did
};

// One comparison of the disc's version and date with an installed one (version_compare.h).
struct VersionFinding {
    std::wstring discVersion;
    std::wstring discDate;
    std::wstring installedVersion;
    std::wstring installedDate;
    int status = 0;  // VERSION_STATUS_*, as the comparison gave it
};

// Why a comparison's outcome was replaced by "the disc's is newer".
enum class VersionOverride {
    None,
    IgnoreVersionChecking,  // the item's Ignore_Version_Checking, for anything but the same version
    WindowsProvider,        // the installed driver came with Windows and the item is the maker's
};

// The installed driver of one of a driver item's hardware ids.
struct DriverFinding {
    std::wstring_view hardwareId;
    // What the registry holds for the id's device: the failure and its path, or the class key
    // with its version, date and provider. Shared with the lookup that read it (many ids of a disc
    // lead to one class key); never null once the lookup ran.
    std::shared_ptr<const InstalledDriverRecord> installed;
    std::wstring_view discVersion;
    std::wstring_view discDate;
    bool compared = false;  // an installed version was read and compared
    int comparison = 0;     // VERSION_STATUS_*, as the comparison gave it
    VersionOverride override = VersionOverride::None;
    int outcome = 0;        // the final status: CVersion::m_nCompare

    DriverLookupFailure Failure() const;
    bool VersionEmpty() const;  // the class key held an empty DriverVersion
    // The comparison in the form applications report theirs.
    VersionFinding Comparison() const;
};

// How an application or hotfix was looked for in the registry.
enum class ApplicationLookup {
    Hotfix,          // the key's presence alone
    PresenceOnly,    // an application without a disc version: the key's presence alone
    VersionSubkeys,  // "...\Product\": the key's subkeys are the installed versions
    VersionValue,    // "...\Product\Version": the value holds the installed version
};

struct ApplicationFinding {
    ApplicationLookup lookup = ApplicationLookup::Hotfix;
    std::wstring keyPath;    // below HKEY_LOCAL_MACHINE
    std::wstring valueName;  // VersionValue only
    bool found = false;      // the key opened in one of the views
    RegistryView view = RegistryView::View32;
    bool compared = false;   // a version was compared (VersionSubkeys, VersionValue)
    VersionFinding version;  // the deciding comparison
    VersionOverride override = VersionOverride::None;
};

// The rule that left an item out of the list, or None when the item applies. In the order the
// rules are reported: the first one that fails is the reason.
enum class ExclusionRule {
    None,
    UnknownType,
    Hardware,    // the hardware-id rule found no device (OR) or not every device (AND)
    Hidden,      // a visibility rule of the disc hid it, because of what other items found
    OperatingSystem,
    Language,
};

// The four visibility groups, in the order they apply.
enum class VisibilityGroup { VisibleIfExist, InvisibleIfExist, VisibleIfNotExist, InvisibleIfNotExist };

// A visibility group whose condition held and so set whether the item shows.
struct VisibilityFinding {
    VisibilityGroup group = VisibilityGroup::VisibleIfExist;
    std::vector<std::uint32_t> items;  // the group's item numbers
    std::wstring rule;                 // "OR" or "AND"
    bool visible = false;
};

// Where the item lands in the list when it is first filled.
enum class ListPlacement {
    None,          // no row in either view
    Offered,       // a checked row in both views
    InstalledRow,  // a greyed, unchecked row in the advanced view only
};

// A check box that changed because of another item's dependences.
struct DependenceFinding {
    std::int32_t causeItemNo = 0;  // the item whose box the user changed
    std::wstring causeTitle;
    bool checked = false;          // the state this item's box was given
};

struct DecisionRecord {
    std::int32_t itemNo = 0;
    int type = 0;
    // The texts the findings view, shared with the book and with every copy of the record.
    std::shared_ptr<const TextArena> texts;

    // Hardware: every id asked, with the item's check rule as loaded.
    std::vector<DeviceFinding> devices;
    int hardwareRule = 0;  // HWID_RULE_*
    bool ignoreHardware = false;
    bool hardwareRuleRan = false;  // false on a re-scan, where the hardware flags keep their values
    bool hardwarePresent = true;   // the hardware rule's outcome (before visibility)

    // Installed state.
    std::vector<DriverFinding> drivers;
    std::optional<ApplicationFinding> application;

    // OS and language rules: the item's list against this machine's name for it.
    std::wstring osList;
    std::wstring osName;
    bool osMatched = false;
    std::vector<std::wstring> languages;
    std::wstring languageTag;
    bool languageMatched = false;

    // Visibility groups that held, in the order they applied (the last one decides).
    std::vector<VisibilityFinding> visibility;

    // The outcome: copies of the item flags once every pass ran.
    bool applies = false;    // m_bHwFound, m_bOSMatched and m_bLanguageMatched together
    bool offered = false;    // m_bVersionResult
    bool installed = false;  // m_bInstalled
    ExclusionRule exclusion = ExclusionRule::None;
    ListPlacement placement = ListPlacement::None;
    bool checkedByDefault = false;

    // Check boxes set or cleared by dependences since the list was filled, oldest first.
    std::vector<DependenceFinding> dependences;
};

// The records of one evaluation, by item number.
class DecisionBook {
public:
    DecisionBook() = default;
    // A copy or a move starts without a last record: the one remembered is the other book's.
    DecisionBook(const DecisionBook& other) : m_records(other.m_records), m_texts(other.m_texts) {}
    DecisionBook(DecisionBook&& other) noexcept
        : m_records(std::move(other.m_records)), m_texts(std::move(other.m_texts)) {
        other.Reset();
    }
    DecisionBook& operator=(const DecisionBook& other) {
        if (this != &other) {
            m_records = other.m_records;
            m_texts = other.m_texts;
            m_last = m_records.end();
        }
        return *this;
    }
    DecisionBook& operator=(DecisionBook&& other) noexcept {
        if (this != &other) {
            m_records = std::move(other.m_records);
            m_texts = std::move(other.m_texts);
            m_last = m_records.end();
            other.Reset();
        }
        return *this;
    }

    // The record of an item, made on first use.
    DecisionRecord& For(std::int32_t itemNo);
    const DecisionRecord* Find(std::int32_t itemNo) const;
    const std::map<std::int32_t, DecisionRecord>& Records() const { return m_records; }
    // A copy of a finding's text that lives as long as the book or any record made by For.
    std::wstring_view Keep(std::wstring_view text) { return m_texts->Keep(text); }

private:
    std::map<std::int32_t, DecisionRecord> m_records;
    // Every pass asks for the items in the disc's order: the next record is tried first.
    std::map<std::int32_t, DecisionRecord>::iterator m_last = m_records.end();

    // A book moved from is empty and usable.
    void Reset() {
        m_records.clear();
        m_texts = std::make_shared<TextArena>();
        m_last = m_records.end();
    }
    std::shared_ptr<TextArena> m_texts = std::make_shared<TextArena>();
};

}  // namespace tavelin
