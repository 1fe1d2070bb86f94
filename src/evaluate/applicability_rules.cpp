// The passes that judge items from what the machine passes found: hardware, OS and language rules.
#include <algorithm>

#include "config/text.h"
#include "evaluate/evaluation_passes.h"
#include "evaluate/version_compare.h"

namespace tavelin {

namespace {

bool AsksForInstall(int compare) {
    return compare == VERSION_STATUS_ERROR || compare == VERSION_STATUS_INI_NEWER;
}

bool HardwarePresent(const CItem& item) {
    const auto found = [](const CHW_ID& id) { return id.m_bFound; };
    const auto& ids = item.m_pHwIdList;
    const bool present = item.m_nHwIdCheckRule == HWID_RULE_OR ? std::any_of(ids.begin(), ids.end(), found)
                                                                : std::all_of(ids.begin(), ids.end(), found);
    return present || item.m_bIgnoreHwChecking;
}

// A driver is offered when a device it is for has an older or unreadable driver; with
// Ignore_HW_Checking an absent device counts too under "OR".
bool DriverWanted(const CItem& item) {
    const std::size_t count = std::min(item.m_pHwIdList.size(), item.m_pVersionList.size());
    for (std::size_t i = 0; i < count; ++i) {
        const bool found = item.m_pHwIdList[i].m_bFound;
        const int compare = item.m_pVersionList[i].m_nCompare;
        if (item.m_nHwIdCheckRule == HWID_RULE_OR) {
            if ((found && AsksForInstall(compare)) || (!found && item.m_bIgnoreHwChecking)) return true;
        } else if (AsksForInstall(compare)) {
            return true;
        }
    }
    return false;
}

}  // namespace

void ApplyHardwareRule(ItemList& items, DecisionBook& decisions) {
    for (auto& item : items) {
        item->m_bHwFound = HardwarePresent(*item);
        DecisionRecord& decision = decisions.For(item->m_nItemNo);
        decision.hardwareRuleRan = true;
        decision.hardwarePresent = item->m_bHwFound;
        decision.hardwareRule = item->m_nHwIdCheckRule;
        decision.ignoreHardware = item->m_bIgnoreHwChecking;
        if (item->m_nType != ITEM_TYPE_DRIVER) continue;
        if (item->m_nHwIdCheckRule == HWID_RULE_OR) {
            item->m_bVersionResult = DriverWanted(*item);
        } else if (item->m_nHwIdCheckRule == HWID_RULE_AND) {
            item->m_bVersionResult = item->m_bHwFound && DriverWanted(*item);
        }
    }
}

void ApplyOSRule(ItemList& items, const std::wstring& osDisplayName, DecisionBook& decisions) {
    for (auto& item : items) {
        if (TrimWhiteSpace(item->m_strOSVersion).empty()) {
            item->m_bOSMatched = true;
        } else {
            const std::vector<std::wstring> names = SplitList(item->m_strOSVersion, L",");
            item->m_bOSMatched = std::any_of(names.begin(), names.end(), [&](const std::wstring& name) {
                return EqualsNoCase(name, osDisplayName);
            });
        }
        DecisionRecord& decision = decisions.For(item->m_nItemNo);
        decision.osList = item->m_strOSVersion;
        decision.osName = osDisplayName;
        decision.osMatched = item->m_bOSMatched;
    }
}

void ApplyLanguageRule(ItemList& items, const std::wstring& languageTag, DecisionBook& decisions) {
    for (auto& item : items) {
        const auto& languages = item->m_pLanguageList;
        item->m_bLanguageMatched =
            languages.empty() || std::any_of(languages.begin(), languages.end(), [&](const CLanguage_ID& language) {
                return EqualsNoCase(language.m_strLanguage, languageTag);
            });
        DecisionRecord& decision = decisions.For(item->m_nItemNo);
        decision.languages.clear();
        for (const CLanguage_ID& language : languages) decision.languages.push_back(language.m_strLanguage);
        decision.languageTag = languageTag;
        decision.languageMatched = item->m_bLanguageMatched;
    }
}

}  // namespace tavelin
