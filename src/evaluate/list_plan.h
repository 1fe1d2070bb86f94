// Which items of the evaluated catalogue get a row in the list, in which view, with which texts,
// and which rows start checked. Decided here from the item flags alone; the window code only
// carries the plan out on the list control.
#pragma once

#include <string>
#include <vector>

#include "config/catalogue.h"

namespace tavelin {

// The type texts of the list's third column, from the user-interface texts.
struct ItemTypeTexts {
    std::wstring driver;                // "Driver"
    std::wstring recommendedApplication;  // "Recommend Application"
    std::wstring optionalApplication;   // "Optional Application"
    std::wstring hotfix;                // "HotFix"
};

struct PlannedRow {
    CItem* item = nullptr;
    bool installedRow = false;  // greyed, "Installed" in the version column
    bool checked = false;
    std::wstring title;
    std::wstring typeText;
    std::wstring versionText;  // m_strDisplayVersion, or "Installed"
};

struct ListPopulationInput {
    bool advancedView = false;
    bool resumeMode = false;
    std::vector<std::wstring> waitingNumbers;  // the stored waiting list split at "@"
};

// The rows of one population in catalogue order. Items of unknown type never get a row.
std::vector<PlannedRow> PlanItemList(const ItemList& items, const ListPopulationInput& input,
                                     const ItemTypeTexts& typeTexts);

// Whether "/items all" checks a listed item: everything that is to be installed, and whatever is
// not installed at all (an item whose installed state nobody could find still counts as missing).
bool ChosenByAllItems(const CItem& item);

// The type text of an item, empty for an unknown type.
std::wstring ItemTypeText(int type, const ItemTypeTexts& typeTexts);

// Whether an item's number, written with "%d", is one of the waiting-list pieces (compared
// without regard to case).
bool IsItemListed(const CItem& item, const std::vector<std::wstring>& waitingNumbers);

// The text of the per-item status box shown under the "ShowItemStatus" switch.
std::wstring ItemStatusText(const CItem& item);

}  // namespace tavelin
