#include "evaluate/list_plan.h"

#include "config/text.h"

namespace tavelin {
namespace {

const wchar_t kInstalledText[] = L"Installed";

const wchar_t* TrueFalse(bool flag) {
    return flag ? L"True" : L"False";
}

}  // namespace

std::wstring ItemTypeText(int type, const ItemTypeTexts& typeTexts) {
    switch (type) {
        case ITEM_TYPE_DRIVER: return typeTexts.driver;
        case ITEM_TYPE_RECOMMENDED_APP: return typeTexts.recommendedApplication;
        case ITEM_TYPE_OPTIONAL_APP: return typeTexts.optionalApplication;
        case ITEM_TYPE_HOTFIX: return typeTexts.hotfix;
        default: return std::wstring();
    }
}

bool ChosenByAllItems(const CItem& item) {
    return item.m_bVersionResult || !item.m_bInstalled;
}

bool IsItemListed(const CItem& item, const std::vector<std::wstring>& waitingNumbers) {
    const std::wstring number = DecimalText(item.m_nItemNo);
    for (const auto& piece : waitingNumbers) {
        if (EqualsNoCase(number, piece)) return true;
    }
    return false;
}

std::wstring ItemStatusText(const CItem& item) {
    return L"Item Name : " + item.m_strTitle + L"\n" +
           L"Device Exist status : " + TrueFalse(item.m_bHwFound) + L"\n" +
           L"Appropriate OS_Version status : " + TrueFalse(item.m_bOSMatched) + L"\n" +
           L"Appropriate Language_ID status : " + TrueFalse(item.m_bLanguageMatched) + L"\n" +
           L"Ini Newer Version status : " + TrueFalse(item.m_bVersionResult) + L"\n";
}

std::vector<PlannedRow> PlanItemList(const ItemList& items, const ListPopulationInput& input,
                                     const ItemTypeTexts& typeTexts) {
    std::vector<PlannedRow> rows;
    for (const auto& owned : items) {
        CItem& item = *owned;
        if (item.m_nType < ITEM_TYPE_DRIVER || item.m_nType > ITEM_TYPE_HOTFIX) continue;

        const bool applies = item.m_bHwFound && item.m_bOSMatched && item.m_bLanguageMatched;
        if (!applies) continue;
        const bool offered = item.m_bVersionResult;
        // The recommended view shows only what should be installed; the advanced view also
        // shows, greyed, what already is.
        if (!offered && !input.advancedView) continue;

        PlannedRow row;
        row.item = &item;
        row.installedRow = !offered;
        row.title = item.m_strTitle;
        row.typeText = ItemTypeText(item.m_nType, typeTexts);
        row.versionText = offered ? item.m_strDisplayVersion : std::wstring(kInstalledText);
        if (input.resumeMode) {
            // After a restart exactly the stored items are checked, offered or installed.
            row.checked = IsItemListed(item, input.waitingNumbers);
        } else {
            row.checked = offered;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace tavelin
