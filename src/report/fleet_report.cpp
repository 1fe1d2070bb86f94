#include "report/fleet_report.h"

#include <algorithm>

#include "evaluate/version_compare.h"

namespace tavelin {

namespace {

bool AsksForInstall(int status) { return status == VERSION_STATUS_ERROR || status == VERSION_STATUS_INI_NEWER; }

// What detection read of the installed copy that decided: for a driver, the first present device
// whose installed driver asked for the disc's (the one the reason names), else the first present
// device whose class key gave a version, else any device's.
std::wstring InstalledVersionOf(const DecisionRecord& decision) {
    const auto present = [&decision](std::size_t i) { return i < decision.devices.size() && decision.devices[i].present; };
    const auto version = [](const DriverFinding& driver) {
        return driver.installed ? driver.installed->version : std::wstring();
    };
    for (int pass = 0; pass < 3; ++pass) {
        for (std::size_t i = 0; i < decision.drivers.size(); ++i) {
            const DriverFinding& driver = decision.drivers[i];
            if (pass < 2 && !present(i)) continue;
            if (pass == 0 && !(decision.offered && AsksForInstall(driver.outcome))) continue;
            if (!version(driver).empty()) return version(driver);
        }
    }
    if (decision.application && decision.application->found) return decision.application->version.installedVersion;
    return {};
}

std::wstring DiscVersionOf(const CItem& item) {
    if (!item.m_strDisplayVersion.empty()) return item.m_strDisplayVersion;
    return item.m_pVersionList.empty() ? std::wstring() : item.m_pVersionList.front().m_strVersion;
}

}  // namespace

const char* ItemRunResultName(ItemRunResult result) {
    switch (result) {
        case ItemRunResult::NotInRun: return "";
        case ItemRunResult::Done: return "done";
        case ItemRunResult::Failed: return "failed";
        case ItemRunResult::NotRun: return "not run";
    }
    return "";
}

const wchar_t* PlacementStatus(ListPlacement placement) {
    switch (placement) {
        case ListPlacement::Offered: return L"offered";
        case ListPlacement::InstalledRow: return L"installed";
        case ListPlacement::None: break;
    }
    return L"not offered";
}

std::vector<ReportItem> ReportItemsOf(const ReportSource& source, const std::set<std::int32_t>& checked,
                                      const std::map<std::int32_t, ItemRunResult>& results) {
    std::vector<ReportItem> entries;
    for (const auto& item : source.items) {
        ReportItem entry;
        entry.itemNo = item->m_nItemNo;
        entry.type = item->m_nType;
        entry.typeText = ItemTypeText(item->m_nType, source.typeTexts);
        entry.title = item->m_strTitle;
        entry.discVersion = DiscVersionOf(*item);
        entry.checked = checked.count(item->m_nItemNo) > 0;
        entry.status = PlacementStatus(ListPlacement::None);
        if (const DecisionRecord* decision = source.decisions.Find(item->m_nItemNo)) {
            entry.applies = decision->applies;
            entry.status = PlacementStatus(decision->placement);
            entry.installedVersion = InstalledVersionOf(*decision);
            entry.reason = ReasonSummary(*decision, source.reasons);
            entry.decision = *decision;
        }
        entries.push_back(std::move(entry));
    }
    for (const DroppedItem& dropped : source.dropped) {
        ReportItem entry;
        entry.itemNo = dropped.itemNo;
        if (source.droppedTitle) entry.title = source.droppedTitle(dropped.itemNo);
        entry.status = PlacementStatus(ListPlacement::None);
        entry.reason = DroppedItemReason(dropped, source.reasons);
        entries.push_back(std::move(entry));
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const ReportItem& a, const ReportItem& b) { return a.itemNo < b.itemNo; });
    ApplyRunResults(entries, results);
    return entries;
}

void ApplyRunResults(std::vector<ReportItem>& items, const std::map<std::int32_t, ItemRunResult>& results) {
    if (results.empty()) return;
    for (ReportItem& entry : items) {
        const auto found = results.find(entry.itemNo);
        if (found != results.end()) {
            entry.result = found->second;
        } else if (entry.checked) {
            entry.result = ItemRunResult::NotRun;
        }
    }
}

bool AnyItemChecked(const std::vector<ReportItem>& items) {
    return std::any_of(items.begin(), items.end(), [](const ReportItem& entry) { return entry.checked; });
}

}  // namespace tavelin
