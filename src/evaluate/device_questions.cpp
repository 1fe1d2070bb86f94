#include "evaluate/device_questions.h"

#include <string_view>
#include <unordered_set>

#include "config/text.h"

namespace tavelin {

bool AsksAboutDevices(const CItem& item) {
    switch (item.m_nType) {
    case ITEM_TYPE_DRIVER: return true;
    case ITEM_TYPE_RECOMMENDED_APP:
    case ITEM_TYPE_OPTIONAL_APP:
    case ITEM_TYPE_HOTFIX: return item.m_nHwIdCount > 0;
    default: return false;
    }
}

std::vector<std::wstring> DeviceQuestions(const ItemList& items) {
    std::size_t ids = 0;
    for (const auto& item : items) ids += item->m_pHwIdList.size();
    std::unordered_set<std::wstring_view, TextHash> seen;  // views of the items' own texts
    seen.reserve(ids);
    std::vector<std::wstring> questions;
    for (const auto& item : items) {
        if (!AsksAboutDevices(*item)) continue;
        for (const CHW_ID& id : item->m_pHwIdList) {
            if (seen.insert(id.m_strHwId).second) questions.push_back(id.m_strHwId);
        }
    }
    return questions;
}

}  // namespace tavelin
