#include "config/catalogue.h"

#include <algorithm>

#include "config/text.h"

namespace tavelin {

namespace {

const std::wstring kItemPrefix = L"Item_";

// A key or section name and its number, as "%d" writes it ("HW_ID_12"), built on the stack: the
// loader asks for three numbered keys per hardware id.
class Numbered {
public:
    template <std::size_t N>
    Numbered(const wchar_t (&base)[N], int n) {
        static_assert(N - 1 <= kMaxBase, "a longer base needs a larger buffer");
        wchar_t digits[16];
        std::size_t count = 0;
        // Through unsigned, so that the most negative number has its digits too.
        unsigned magnitude = n < 0 ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n);
        do {
            digits[count++] = static_cast<wchar_t>(L'0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (n < 0) digits[count++] = L'-';
        m_length = N - 1;
        std::copy_n(base, m_length, m_text);
        while (count > 0) m_text[m_length++] = digits[--count];
    }
    operator std::wstring_view() const { return {m_text, m_length}; }

private:
    static constexpr std::size_t kMaxBase = 16;
    wchar_t m_text[kMaxBase + 16];
    std::size_t m_length = 0;
};

std::wstring CutToTagLength(std::wstring text) {
    if (text.size() > kMaxTagLength) text.resize(kMaxTagLength);
    return text;
}

// wantedModel: the machine's model upper-cased and trimmed.
bool ModelAllows(const std::wstring& upperModels, const std::wstring& wantedModel) {
    if (upperModels.empty()) return true;
    for (const std::wstring& entry : SplitList(upperModels, L",")) {
        if (TrimWhiteSpace(entry) == wantedModel) return true;
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

using ItemReader = ConfigFile::SectionReader;
using KeyName = ProfileFile::KeyName;

// The names every item's section is asked for, made ready once per catalogue instead of once per
// item and key.
struct ItemKeyNames {
    explicit ItemKeyNames(const std::wstring& languageTag)
        : title(LocalizedKey(LocalizedBase::Title, languageTag)),
          description(LocalizedKey(LocalizedBase::Description, languageTag)) {}

    // Makes "HW_ID_%d", "Version_%d" and "Date_%d" for every i up to count.
    void MakeNumbered(long long count) {
        for (int i = static_cast<int>(hwId.size()) + 1; i <= count; ++i) {
            hwId.emplace_back(Numbered(L"HW_ID_", i));
            version.emplace_back(Numbered(L"Version_", i));
            date.emplace_back(Numbered(L"Date_", i));
        }
    }

    const KeyName title;
    const KeyName description;
    const KeyName titleFallback{FallbackKey(LocalizedBase::Title)};
    const KeyName descriptionFallback{FallbackKey(LocalizedBase::Description)};
    const KeyName model{L"Model"};
    const KeyName systemType{L"System_Type"};
    const KeyName type{L"Type"};
    const KeyName installCmd{L"Slient_Install_Cmd"};
    const KeyName uninstallCmd{L"Slient_Uninstall_Cmd"};
    const KeyName dependence{L"Dependence"};
    const KeyName waitTime{L"Wait_Time"};
    const KeyName ignoreVersionChecking{L"Ignore_Version_Checking"};
    const KeyName osVersion{L"OS_Version"};
    const KeyName languageId{L"Language_ID"};
    const KeyName rescan{L"Rescan"};
    const KeyName displayVersion{L"DisplayVersion"};
    const KeyName visibleIfExist{L"Visible_If_Item_Exist"};
    const KeyName visibleIfExistRule{L"Visible_If_Item_Exist_Checkrule"};
    const KeyName invisibleIfExist{L"Invisible_If_Item_Exist"};
    const KeyName invisibleIfExistRule{L"Invisible_If_Item_Exist_Checkrule"};
    const KeyName visibleIfNotExist{L"Visible_If_Item_Not_Exist"};
    const KeyName visibleIfNotExistRule{L"Visible_If_Item_Not_Exist_Checkrule"};
    const KeyName invisibleIfNotExist{L"Invisible_If_Item_Not_Exist"};
    const KeyName invisibleIfNotExistRule{L"Invisible_If_Item_Not_Exist_Checkrule"};
    const KeyName restart{L"Restart"};
    const KeyName successExitCodes{L"Success_Exit_Codes"};
    const KeyName restartExitCodes{L"Restart_Exit_Codes"};
    const KeyName installTimeout{L"Install_Timeout"};
    const KeyName installSeal{L"Install_SHA256"};
    const KeyName uninstallSeal{L"Uninstall_SHA256"};
    const KeyName hwIdCheckRule{L"HW_ID_CheckRule"};
    const KeyName ignoreHwChecking{L"Ignore_HW_Checking"};
    const KeyName microsoftDriver{L"MicrosoftDriver"};
    const KeyName hwIdQuantity{L"HW_ID_Quantity"};
    const KeyName singleVersion{L"Version"};
    const KeyName singleDate{L"Date"};
    const KeyName versionPath{L"Version_Path"};
    const KeyName guid{L"GUID"};
    std::vector<KeyName> hwId;     // "HW_ID_%d" at i - 1
    std::vector<KeyName> version;  // "Version_%d" at i - 1
    std::vector<KeyName> date;     // "Date_%d" at i - 1
};

// Reads "HW_ID_Quantity" and the ids (with a driver's versions and dates) into the item, within
// what is left of the catalogue-wide budget.
void ReadHardwareIds(const ItemReader& read, ItemKeyNames& keys, CItem& item, long long& budget) {
    const std::wstring quantityText = read.Value(keys.hwIdQuantity);
    if (quantityText.empty()) return;
    item.m_nHwIdCount = ParseLeadingInt(quantityText);
    const long long records =
        std::min<long long>({item.m_nHwIdCount, kMaxHardwareIdsPerItem, budget});
    const bool isDriver = item.m_nType == ITEM_TYPE_DRIVER;
    if (records > 0) {
        keys.MakeNumbered(records);
        const auto count = static_cast<std::size_t>(records);
        item.m_pHwIdList.reserve(item.m_pHwIdList.size() + count);
        if (isDriver) {
            item.m_pVersionList.reserve(item.m_pVersionList.size() + count);
            item.m_pDateList.reserve(item.m_pDateList.size() + count);
        }
    }
    for (int i = 1; i <= records; ++i) {
        item.m_pHwIdList.emplace_back(i, read.Upper(keys.hwId[i - 1]));
        if (isDriver) {
            item.m_pVersionList.emplace_back(i, read.Upper(keys.version[i - 1]));
            item.m_pDateList.emplace_back(i, read.Upper(keys.date[i - 1]));
        }
    }
    if (records > 0) budget -= records;
}

void ReadTypeSpecificKeys(const ItemReader& read, ItemKeyNames& keys, CItem& item, long long& budget) {
    switch (item.m_nType) {
    case ITEM_TYPE_DRIVER:
        item.m_nHwIdCheckRule = HwIdRuleFromText(read.Upper(keys.hwIdCheckRule), item.m_nType);
        item.m_bIgnoreHwChecking = read.Flag(keys.ignoreHwChecking);
        item.m_bMicrosoftDriver = read.Flag(keys.microsoftDriver);
        ReadHardwareIds(read, keys, item, budget);
        break;
    case ITEM_TYPE_RECOMMENDED_APP:
    case ITEM_TYPE_OPTIONAL_APP:
        item.m_pVersionList.emplace_back(1, read.Upper(keys.singleVersion));
        item.m_pDateList.emplace_back(1, read.Upper(keys.singleDate));
        item.m_strVersionPath = read.Value(keys.versionPath);
        item.m_strGUID = read.Value(keys.guid);
        item.m_nHwIdCheckRule = HwIdRuleFromText(read.Upper(keys.hwIdCheckRule), item.m_nType);
        ReadHardwareIds(read, keys, item, budget);
        break;
    case ITEM_TYPE_HOTFIX:
        item.m_nHwIdCheckRule = HwIdRuleFromText(read.Upper(keys.hwIdCheckRule), item.m_nType);
        ReadHardwareIds(read, keys, item, budget);
        item.m_pVersionList.emplace_back(1, read.Upper(keys.singleVersion));
        item.m_strVersionPath = read.Value(keys.versionPath);
        break;
    default:
        break;
    }
}

// Null when the item is meant for another machine or has no title; `dropped` then says why.
std::unique_ptr<CItem> LoadItem(const ConfigFile& config, int n, const MachineFacts& facts,
                                const std::wstring& wantedModel, ItemKeyNames& keys, long long& budget,
                                DroppedItem& dropped) {
    const ItemReader read(config, std::wstring(Numbered(L"Item_", n)));
    dropped.itemNo = n;
    std::wstring models = read.Upper(keys.model);
    if (!ModelAllows(models, wantedModel)) {
        dropped.reason = DropReason::Model;
        dropped.value = std::move(models);
        return nullptr;
    }
    std::wstring bitness = read.Value(keys.systemType);
    if (!BitnessAllows(bitness, facts.m_b64Bit)) {
        dropped.reason = DropReason::Bitness;
        dropped.value = std::move(bitness);
        return nullptr;
    }

    auto item = std::make_unique<CItem>();
    item->m_nItemNo = n;
    item->m_nType = ItemTypeFromText(read.Upper(keys.type));
    item->m_strTitle = read.Value(keys.title);
    if (item->m_strTitle.empty()) item->m_strTitle = read.Value(keys.titleFallback);
    if (item->m_strTitle.empty()) {
        dropped.reason = DropReason::NoTitle;
        return nullptr;
    }

    item->m_strInstallCmd = read.Value(keys.installCmd);
    item->m_strUninstallCmd = read.Value(keys.uninstallCmd);
    item->m_strDescription = read.Value(keys.description);
    if (item->m_strDescription.empty()) {
        item->m_strDescription = read.Value(keys.descriptionFallback);
    }
    const std::wstring dependence = read.Value(keys.dependence);
    const std::wstring waitTime = read.Value(keys.waitTime);
    // Saturated rather than wrapped: a disc asking for more than 24 days waits "forever" either way.
    if (!waitTime.empty()) {
        item->m_nWaitTime = static_cast<std::int32_t>(
            std::clamp<long long>(ParseLeadingInt(waitTime) * 1000LL, INT32_MIN, INT32_MAX));
    }
    item->m_bIgnoreVersionChecking = read.Flag(keys.ignoreVersionChecking);
    item->m_strOSVersion = read.Value(keys.osVersion);
    const std::wstring languages = read.Value(keys.languageId);
    if (!languages.empty()) {
        int position = 0;
        for (std::wstring& entry : SplitList(languages, L",")) {
            item->m_pLanguageList.emplace_back(position++, std::move(entry));
        }
    }
    item->m_bRescan = read.Flag(keys.rescan);
    item->m_strDisplayVersion = read.Value(keys.displayVersion);
    const std::wstring visibleIfExist = read.Value(keys.visibleIfExist);
    const std::wstring visibleIfExistRule = read.Value(keys.visibleIfExistRule);
    const std::wstring invisibleIfExist = read.Value(keys.invisibleIfExist);
    const std::wstring invisibleIfExistRule = read.Value(keys.invisibleIfExistRule);
    const std::wstring visibleIfNotExist = read.Value(keys.visibleIfNotExist);
    const std::wstring visibleIfNotExistRule = read.Value(keys.visibleIfNotExistRule);
    const std::wstring invisibleIfNotExist = read.Value(keys.invisibleIfNotExist);
    const std::wstring invisibleIfNotExistRule = read.Value(keys.invisibleIfNotExistRule);
    item->m_bRestart = read.Flag(keys.restart);
    item->m_arrSuccessCodes = ParseExitCodeList(read.Value(keys.successExitCodes));
    item->m_arrRestartCodes = ParseExitCodeList(read.Value(keys.restartExitCodes));
    item->m_nInstallTimeout = ParseTimeoutSeconds(read.Value(keys.installTimeout));
    item->m_strInstallSHA256 = read.Value(keys.installSeal);
    item->m_strUninstallSHA256 = read.Value(keys.uninstallSeal);

    ReadTypeSpecificKeys(read, keys, *item, budget);

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

std::uint32_t ParseTimeoutSeconds(const std::wstring& value) {
    return static_cast<std::uint32_t>(std::clamp<long long>(ParseLeadingInt(value), 0, INT32_MAX));
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
    ItemKeyNames keys(loaded.m_szLanguageTag);
    loaded.m_nDiscWaitTime = config.ReadIniNumber(L"Driver_CD", L"Wait_Time");
    loaded.m_nDiscInstallTimeout = ParseTimeoutSeconds(config.ReadIniValue(L"Driver_CD", L"Install_Timeout"));
    loaded.m_nItemQuantity = config.ReadIniNumber(L"Items", L"Item_Quantity");

    long long hardwareIdBudget = kMaxHardwareIdsPerCatalogue;
    const std::wstring wantedModel = TrimWhiteSpace(ToUpperText(machineModel));
    const int lastItem = std::min(loaded.m_nItemQuantity, kMaxCatalogueItems);
    for (int n = 1; n <= lastItem; ++n) {
        DroppedItem dropped;
        if (auto item = LoadItem(config, n, facts, wantedModel, keys, hardwareIdBudget, dropped)) {
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
