#include "config/catalogue.h"

#include <algorithm>

#include "config/text.h"

namespace tavelin {

namespace {

const std::wstring kItemPrefix = L"Item_";

std::wstring Numbered(const wchar_t* base, int n) { return base + DecimalText(n); }

std::wstring CutToTagLength(std::wstring text) {
    if (text.size() > kMaxTagLength) text.resize(kMaxTagLength);
    return text;
}

bool ModelAllows(const std::wstring& upperModels, const std::wstring& machineModel) {
    if (upperModels.empty()) return true;
    const std::wstring wanted = TrimWhiteSpace(ToUpperText(machineModel));
    for (const std::wstring& entry : SplitList(upperModels, L",")) {
        if (TrimWhiteSpace(entry) == wanted) return true;
    }
    return false;
}

bool BitnessAllows(const std::wstring& systemTypes, bool is64Bit) {
    if (systemTypes.empty()) return true;
    const wchar_t* const wanted = is64Bit ? L"64BIT" : L"32BIT";
    for (const std::wstring& entry : SplitList(systemTypes, L",")) {
        if (EqualsNoCase(entry, wanted)) return true;
    }
    return false;
}

// A driver without a rule behaves as "OR"; applications and hotfixes without one keep 0, which the
// hardware rule treats like "AND".
int HwIdRuleFromText(const std::wstring& upperRule, int type) {
    if (upperRule == L"AND") return HWID_RULE_AND;
    if (upperRule == L"OR" || type == ITEM_TYPE_DRIVER) return HWID_RULE_OR;
    return HWID_RULE_NONE;
}

// A visibility list's rule is "OR" unless the disc says otherwise; a list without entries has no
// rule at all.
std::wstring VisibilityRule(const std::vector<std::uint32_t>& list, const std::wstring& ruleText) {
    if (list.empty()) return {};
    return ruleText.empty() ? L"OR" : ruleText;
}

class ItemReader {
public:
    ItemReader(const ConfigFile& config, std::wstring section)
        : m_config(config), m_section(std::move(section)) {}

    std::wstring Value(const std::wstring& key) const { return m_config.ReadIniValue(m_section, key); }
    std::wstring Upper(const std::wstring& key) const { return m_config.ReadIniValueUpper(m_section, key); }
    bool Flag(const std::wstring& key) const { return m_config.ReadIniFlag(m_section, key); }

private:
    const ConfigFile& m_config;
    std::wstring m_section;
};

// Reads "HW_ID_Quantity" and the ids (with a driver's versions and dates) into the item, within
// what is left of the catalogue-wide budget.
void ReadHardwareIds(const ItemReader& read, CItem& item, long long& budget) {
    const std::wstring quantityText = read.Value(L"HW_ID_Quantity");
    if (quantityText.empty()) return;
    item.m_nHwIdCount = ParseLeadingInt(quantityText);
    const long long records =
        std::min<long long>({item.m_nHwIdCount, kMaxHardwareIdsPerItem, budget});
    const bool isDriver = item.m_nType == ITEM_TYPE_DRIVER;
    for (int i = 1; i <= records; ++i) {
        item.m_pHwIdList.emplace_back(i, read.Upper(Numbered(L"HW_ID_", i)));
        if (isDriver) {
            item.m_pVersionList.emplace_back(i, read.Upper(Numbered(L"Version_", i)));
            item.m_pDateList.emplace_back(i, read.Upper(Numbered(L"Date_", i)));
        }
    }
    if (records > 0) budget -= records;
}

void ReadTypeSpecificKeys(const ItemReader& read, CItem& item, long long& budget) {
    switch (item.m_nType) {
    case ITEM_TYPE_DRIVER:
        item.m_nHwIdCheckRule = HwIdRuleFromText(read.Upper(L"HW_ID_CheckRule"), item.m_nType);
        item.m_bIgnoreHwChecking = read.Flag(L"Ignore_HW_Checking");
        item.m_bMicrosoftDriver = read.Flag(L"MicrosoftDriver");
        ReadHardwareIds(read, item, budget);
        break;
    case ITEM_TYPE_RECOMMENDED_APP:
    case ITEM_TYPE_OPTIONAL_APP:
        item.m_pVersionList.emplace_back(1, read.Upper(L"Version"));
        item.m_pDateList.emplace_back(1, read.Upper(L"Date"));
        item.m_strVersionPath = read.Value(L"Version_Path");
        item.m_strGUID = read.Value(L"GUID");
        item.m_nHwIdCheckRule = HwIdRuleFromText(read.Upper(L"HW_ID_CheckRule"), item.m_nType);
        ReadHardwareIds(read, item, budget);
        break;
    case ITEM_TYPE_HOTFIX:
        item.m_nHwIdCheckRule = HwIdRuleFromText(read.Upper(L"HW_ID_CheckRule"), item.m_nType);
        ReadHardwareIds(read, item, budget);
        item.m_pVersionList.emplace_back(1, read.Upper(L"Version"));
        item.m_strVersionPath = read.Value(L"Version_Path");
        break;
    default:
        break;
    }
}

struct LocalizedKeys {
    std::wstring title;
    std::wstring description;
};

// Null when the item is meant for another machine or has no title; `dropped` then says why.
std::unique_ptr<CItem> LoadItem(const ConfigFile& config, int n, const MachineFacts& facts,
                                const std::wstring& machineModel, const LocalizedKeys& keys,
                                long long& budget, DroppedItem& dropped) {
    const ItemReader read(config, Numbered(L"Item_", n));
    dropped.itemNo = n;
    const std::wstring models = read.Upper(L"Model");
    if (!ModelAllows(models, machineModel)) {
        dropped.reason = DropReason::Model;
        dropped.value = models;
        return nullptr;
    }
    const std::wstring bitness = read.Value(L"System_Type");
    if (!BitnessAllows(bitness, facts.m_b64Bit)) {
        dropped.reason = DropReason::Bitness;
        dropped.value = bitness;
        return nullptr;
    }

    auto item = std::make_unique<CItem>();
    item->m_nItemNo = n;
    item->m_nType = ItemTypeFromText(read.Upper(L"Type"));
    item->m_strTitle = read.Value(keys.title);
    if (item->m_strTitle.empty()) item->m_strTitle = read.Value(FallbackKey(LocalizedBase::Title));
    if (item->m_strTitle.empty()) {
        dropped.reason = DropReason::NoTitle;
        return nullptr;
    }

    item->m_strInstallCmd = read.Value(L"Slient_Install_Cmd");
    item->m_strUninstallCmd = read.Value(L"Slient_Uninstall_Cmd");
    item->m_strDescription = read.Value(keys.description);
    if (item->m_strDescription.empty()) {
        item->m_strDescription = read.Value(FallbackKey(LocalizedBase::Description));
    }
    const std::wstring dependence = read.Value(L"Dependence");
    const std::wstring waitTime = read.Value(L"Wait_Time");
    // Saturated rather than wrapped: a disc asking for more than 24 days waits "forever" either way.
    if (!waitTime.empty()) {
        item->m_nWaitTime = static_cast<std::int32_t>(
            std::clamp<long long>(ParseLeadingInt(waitTime) * 1000LL, INT32_MIN, INT32_MAX));
    }
    item->m_bIgnoreVersionChecking = read.Flag(L"Ignore_Version_Checking");
    item->m_strOSVersion = read.Value(L"OS_Version");
    const std::wstring languages = read.Value(L"Language_ID");
    if (!languages.empty()) {
        int position = 0;
        for (std::wstring& entry : SplitList(languages, L",")) {
            item->m_pLanguageList.emplace_back(position++, std::move(entry));
        }
    }
    item->m_bRescan = read.Flag(L"Rescan");
    item->m_strDisplayVersion = read.Value(L"DisplayVersion");
    const std::wstring visibleIfExist = read.Value(L"Visible_If_Item_Exist");
    const std::wstring visibleIfExistRule = read.Value(L"Visible_If_Item_Exist_Checkrule");
    const std::wstring invisibleIfExist = read.Value(L"Invisible_If_Item_Exist");
    const std::wstring invisibleIfExistRule = read.Value(L"Invisible_If_Item_Exist_Checkrule");
    const std::wstring visibleIfNotExist = read.Value(L"Visible_If_Item_Not_Exist");
    const std::wstring visibleIfNotExistRule = read.Value(L"Visible_If_Item_Not_Exist_Checkrule");
    const std::wstring invisibleIfNotExist = read.Value(L"Invisible_If_Item_Not_Exist");
    const std::wstring invisibleIfNotExistRule = read.Value(L"Invisible_If_Item_Not_Exist_Checkrule");
    item->m_bRestart = read.Flag(L"Restart");
    item->m_arrSuccessCodes = ParseExitCodeList(read.Value(L"Success_Exit_Codes"));
    item->m_arrRestartCodes = ParseExitCodeList(read.Value(L"Restart_Exit_Codes"));

    ReadTypeSpecificKeys(read, *item, budget);

    item->m_arrDependence = ParseItemNumberList(dependence);
    item->m_arrVisibleIfExist = ParseItemNumberList(visibleIfExist);
    item->m_strVisibleIfExistRule = VisibilityRule(item->m_arrVisibleIfExist, visibleIfExistRule);
    item->m_arrInvisibleIfExist = ParseItemNumberList(invisibleIfExist);
    item->m_strInvisibleIfExistRule = VisibilityRule(item->m_arrInvisibleIfExist, invisibleIfExistRule);
    item->m_arrVisibleIfNotExist = ParseItemNumberList(visibleIfNotExist);
    item->m_strVisibleIfNotExistRule =
        VisibilityRule(item->m_arrVisibleIfNotExist, visibleIfNotExistRule);
    item->m_arrInvisibleIfNotExist = ParseItemNumberList(invisibleIfNotExist);
    item->m_strInvisibleIfNotExistRule =
        VisibilityRule(item->m_arrInvisibleIfNotExist, invisibleIfNotExistRule);
    return item;
}

}  // namespace

int ItemTypeFromText(const std::wstring& upperType) {
    if (upperType == L"DRIVER") return ITEM_TYPE_DRIVER;
    if (upperType == L"RECOMMENDED_APPLICATION") return ITEM_TYPE_RECOMMENDED_APP;
    if (upperType == L"OPTIONAL_APPLICATION") return ITEM_TYPE_OPTIONAL_APP;
    if (upperType == L"HOTFIX") return ITEM_TYPE_HOTFIX;
    return ITEM_TYPE_UNKNOWN;
}

std::vector<std::uint32_t> ParseExitCodeList(const std::wstring& value) {
    std::vector<std::uint32_t> codes;
    for (const std::wstring& entry : SplitList(value, L",")) {
        std::wstring_view digits = entry;
        bool negative = false;
        int base = 10;
        if (digits.size() > 2 && digits[0] == L'0' && (digits[1] == L'x' || digits[1] == L'X')) {
            digits.remove_prefix(2);
            base = 16;
        } else if (!digits.empty() && digits[0] == L'-') {
            digits.remove_prefix(1);
            negative = true;
        }
        if (digits.empty() || digits.size() > (base == 16 ? 8u : 10u)) continue;
        unsigned long long number = 0;
        bool valid = true;
        for (wchar_t c : digits) {
            int digit = -1;
            if (c >= L'0' && c <= L'9') digit = c - L'0';
            if (base == 16 && c >= L'a' && c <= L'f') digit = c - L'a' + 10;
            if (base == 16 && c >= L'A' && c <= L'F') digit = c - L'A' + 10;
            if (digit < 0) {
                valid = false;
                break;
            }
            number = number * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        }
        const unsigned long long limit = negative ? 0x80000000ULL : 0xFFFFFFFFULL;
        if (!valid || number > limit) continue;
        codes.push_back(static_cast<std::uint32_t>(negative ? 0x100000000ULL - number : number));
    }
    return codes;
}

std::vector<std::uint32_t> ParseItemNumberList(const std::wstring& value) {
    std::vector<std::uint32_t> numbers;
    if (value.empty()) return numbers;
    const std::vector<std::wstring> entries = SplitList(value, L",");
    for (std::size_t position = 0; position < entries.size(); ++position) {
        const std::wstring& entry = entries[position];
        if (entry.compare(0, kItemPrefix.size(), kItemPrefix) != 0) continue;
        if (numbers.size() <= position) numbers.resize(position + 1, 0);
        // Kept as an unsigned number, as the item numbers are everywhere: a negative number wraps.
        numbers[position] = static_cast<std::uint32_t>(
            ParseLeadingInt(std::wstring_view(entry).substr(kItemPrefix.size())));
    }
    return numbers;
}

LoadedCatalogue LoadCatalogue(const ConfigFile& config, const MachineFacts& facts,
                              const std::wstring& machineModel) {
    LoadedCatalogue loaded;
    loaded.m_szLanguageTag = CutToTagLength(LookupLanguageTag(config, facts.m_szLanguageCode));
    loaded.m_szOSDisplayName = CutToTagLength(config.ReadIniValue(L"OS_Language_Tag", facts.m_szOSKey));
    const LocalizedKeys keys{LocalizedKey(LocalizedBase::Title, loaded.m_szLanguageTag),
                             LocalizedKey(LocalizedBase::Description, loaded.m_szLanguageTag)};
    loaded.m_nDiscWaitTime = config.ReadIniNumber(L"Driver_CD", L"Wait_Time");
    loaded.m_nItemQuantity = config.ReadIniNumber(L"Items", L"Item_Quantity");

    long long hardwareIdBudget = kMaxHardwareIdsPerCatalogue;
    const int lastItem = std::min(loaded.m_nItemQuantity, kMaxCatalogueItems);
    for (int n = 1; n <= lastItem; ++n) {
        DroppedItem dropped;
        if (auto item = LoadItem(config, n, facts, machineModel, keys, hardwareIdBudget, dropped)) {
            loaded.m_pItemList.push_back(std::move(item));
        } else {
            loaded.m_droppedItems.push_back(std::move(dropped));
        }
    }
    return loaded;
}

const CItem* ItemAtRow(const ItemList& items, int row) {
    for (const auto& item : items) {
        if (item->m_nListRow == row) return item.get();
    }
    return nullptr;
}

}  // namespace tavelin
