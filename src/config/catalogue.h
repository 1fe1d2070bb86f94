// The disc's item catalogue: one CItem per kept "Item_%d" section, in file order, with its hardware
// ids, versions, dates and languages. Everything read from TAVELIN.INI stays as loaded; the
// evaluation passes change only the result flags (m_nListRow, m_bHwFound, m_bVersionResult,
// m_bInstalled, m_bOSMatched, m_bLanguageMatched, CHW_ID::m_bFound, CVersion::m_nCompare).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/machine_facts.h"
#include "config/config_file.h"

namespace tavelin {

constexpr int ITEM_TYPE_UNKNOWN = 0;
constexpr int ITEM_TYPE_DRIVER = 1;
constexpr int ITEM_TYPE_RECOMMENDED_APP = 2;
constexpr int ITEM_TYPE_OPTIONAL_APP = 3;
constexpr int ITEM_TYPE_HOTFIX = 4;

constexpr int HWID_RULE_NONE = 0;
constexpr int HWID_RULE_OR = 5;
constexpr int HWID_RULE_AND = 6;

// Counts read from the file are clamped to these before anything is allocated or looped over, so
// that a damaged or hostile TAVELIN.INI cannot hang the program or exhaust its memory. Each hardware
// id costs a question to the device libraries, which walk every device of the machine (milliseconds
// each on Windows), so the bounds are set by what a real disc needs, not by what memory allows:
//   - items: real discs carry a few dozen (a model family's disc under a hundred); Item_1 to
//     Item_512 are looked for;
//   - hardware ids per item: a driver lists a few dozen, a graphics or chipset driver a few hundred;
//     512 records at most;
//   - hardware ids of the whole catalogue: real discs stay under a thousand; 2048 records at most,
//     so that a file of many small sections, each claiming the per-item maximum, cannot multiply
//     the two bounds.
// Every count up to them is honoured exactly (records for every i, also for missing keys, so that
// a driver's versions stay paired with their ids). The item count stays as read in
// m_nItemQuantity; items above the bound are simply not looked for. A hardware-id count above its
// bound keeps m_nHwIdCount as read but creates records only for i up to the bound or what is left
// of the catalogue-wide budget.
constexpr int kMaxCatalogueItems = 512;
constexpr int kMaxHardwareIdsPerItem = 512;
constexpr long long kMaxHardwareIdsPerCatalogue = 2048;

// Texts of the "OS_Language_Tag" section live in fixed 260-character buffers on the platform the
// disc was written for; longer values are cut to this many characters.
constexpr std::size_t kMaxTagLength = 259;

class CHW_ID {
public:
    CHW_ID(int index, std::wstring text) : m_nIndex(index), m_strHwId(std::move(text)) {}
    virtual ~CHW_ID() = default;

    int m_nIndex = 0;        // i of "HW_ID_%d", from 1
    std::wstring m_strHwId;  // upper-cased
    bool m_bFound = false;   // the device is present
};

class CVersion {
public:
    CVersion(int index, std::wstring text) : m_nIndex(index), m_strVersion(std::move(text)) {}
    virtual ~CVersion() = default;

    int m_nIndex = 0;           // i of "Version_%d", 1 for the single "Version"
    std::wstring m_strVersion;  // upper-cased
    int m_nCompare = 0;         // version status of the installed driver, 0 to 3
};

class CDate {
public:
    CDate(int index, std::wstring text) : m_nIndex(index), m_strDate(std::move(text)) {}
    virtual ~CDate() = default;

    int m_nIndex = 0;        // i of "Date_%d", 1 for the single "Date"
    std::wstring m_strDate;  // upper-cased
};

class CLanguage_ID {
public:
    CLanguage_ID(int index, std::wstring text) : m_nIndex(index), m_strLanguage(std::move(text)) {}
    virtual ~CLanguage_ID() = default;

    int m_nIndex = 0;            // position in the "Language_ID" list, from 0
    std::wstring m_strLanguage;  // as written, trimmed
};

class CItem {
public:
    virtual ~CItem() = default;

    std::int32_t m_nItemNo = 0;     // n of the section "Item_%d": the item's identity everywhere
    std::int32_t m_nListRow = -1;   // row in the list control, -1 when not listed
    std::int32_t m_nType = ITEM_TYPE_UNKNOWN;
    std::int32_t m_nHwIdCount = 0;  // "HW_ID_Quantity" as read
    std::int32_t m_nWaitTime = 0;   // milliseconds
    std::wstring m_strTitle;
    std::wstring m_strInstallCmd;
    std::wstring m_strUninstallCmd;
    std::wstring m_strDescription;
    std::wstring m_strVersionPath;
    std::wstring m_strGUID;
    std::int32_t m_nHwIdCheckRule = HWID_RULE_NONE;
    std::vector<CHW_ID> m_pHwIdList;      // in order of i
    std::vector<CVersion> m_pVersionList;  // in order of i
    std::vector<CDate> m_pDateList;        // in order of i
    std::wstring m_strOSVersion;
    std::vector<CLanguage_ID> m_pLanguageList;
    bool m_bHwFound = true;
    bool m_bVersionResult = false;
    bool m_bInstalled = false;
    bool m_bIgnoreHwChecking = false;
    bool m_bIgnoreVersionChecking = false;
    bool m_bOSMatched = false;
    bool m_bLanguageMatched = false;
    bool m_bRescan = false;
    std::vector<std::uint32_t> m_arrDependence;
    std::wstring m_strDisplayVersion;
    bool m_bMicrosoftDriver = false;
    bool m_bRestart = false;
    std::vector<std::uint32_t> m_arrVisibleIfExist;
    std::wstring m_strVisibleIfExistRule;
    std::vector<std::uint32_t> m_arrInvisibleIfExist;
    std::wstring m_strInvisibleIfExistRule;
    std::vector<std::uint32_t> m_arrVisibleIfNotExist;
    std::wstring m_strVisibleIfNotExistRule;
    std::vector<std::uint32_t> m_arrInvisibleIfNotExist;
    std::wstring m_strInvisibleIfNotExistRule;
    // "Success_Exit_Codes" and "Restart_Exit_Codes": what the installer's exit codes mean, when the
    // disc says it (install/installer_result.h). Empty when the keys are missing or hold no code.
    std::vector<std::uint32_t> m_arrSuccessCodes;
    std::vector<std::uint32_t> m_arrRestartCodes;
    // "Install_Timeout": seconds the item's installer (and uninstaller) may take before its
    // processes are ended and the row fails; 0 when the key is missing or holds no positive number.
    std::uint32_t m_nInstallTimeout = 0;
    // "Install_SHA256" and "Uninstall_SHA256" as written, trimmed: the seals of the programs the two
    // commands start (install/installer_seal.h). Empty when unsealed.
    std::wstring m_strInstallSHA256;
    std::wstring m_strUninstallSHA256;
};

// The items in file order. Items are owned here and never shared; a re-scan loads a new catalogue.
using ItemList = std::vector<std::unique_ptr<CItem>>;

// Why an item section of the disc never became an item.
enum class DropReason { Model, Bitness, NoTitle };

struct DroppedItem {
    std::int32_t itemNo = 0;
    DropReason reason = DropReason::Model;
    std::wstring value;  // the item's "Model" or "System_Type" as read; empty for NoTitle
};

// What one load of TAVELIN.INI gives the main dialog.
struct LoadedCatalogue {
    std::wstring m_szLanguageTag;    // the disc's tag for the user-interface language, may be empty
    std::wstring m_szOSDisplayName;  // the disc's name for this OS key, may be empty
    int m_nDiscWaitTime = 0;         // "Driver_CD" / "Wait_Time", unscaled
    std::uint32_t m_nDiscInstallTimeout = 0;  // "Driver_CD" / "Install_Timeout": every item's default, 0 for none
    int m_nItemQuantity = 0;         // "Items" / "Item_Quantity" as read
    ItemList m_pItemList;
    std::vector<DroppedItem> m_droppedItems;  // in item-number order
};

// machineModel is the BIOS model name, upper-cased and trimmed.
// The item listed in a row of the item list (its m_nListRow), or null. Rows and items are tied
// only through that field: the list's rows never carry the items themselves.
const CItem* ItemAtRow(const ItemList& items, int row);

LoadedCatalogue LoadCatalogue(const ConfigFile& config, const MachineFacts& facts,
                              const std::wstring& machineModel);

// The item numbers of an "Item_%d" list value, by position: entries that do not begin with "Item_"
// leave a 0 when a later entry fills a position after them, and add nothing at the end.
std::vector<std::uint32_t> ParseItemNumberList(const std::wstring& value);

// The exit codes of a "Success_Exit_Codes" or "Restart_Exit_Codes" value: decimal (a negative
// number as the 32-bit code it stands for, -1 being 4294967295) or hexadecimal with "0x", separated
// by commas. Entries that are none of these are left out.
std::vector<std::uint32_t> ParseExitCodeList(const std::wstring& value);

// The seconds of an "Install_Timeout" value, read from its leading digits as every number of the
// disc is; 0 (no limit) for anything else. Saturated at 2^31 - 1.
std::uint32_t ParseTimeoutSeconds(const std::wstring& value);

// Item type code of an upper-cased "Type" value.
int ItemTypeFromText(const std::wstring& upperType);

}  // namespace tavelin
