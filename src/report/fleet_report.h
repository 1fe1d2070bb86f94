// What a scan (or a run) found on a machine, for the people and tools that deploy a disc to many:
// the machine, the disc, and every item with what the program will do or did, and why. Built from
// the same decision records as the list's tooltips; written as JSON for tools and as one HTML page
// for people (report/report_json.h, report/report_page.h).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "config/catalogue.h"
#include "evaluate/decision_record.h"
#include "evaluate/decision_text.h"
#include "evaluate/list_plan.h"

namespace tavelin {

struct ReportMachine {
    std::wstring model;         // as the BIOS gave it
    std::wstring osKey;         // WNT_6.1_PROFESSIONAL
    std::wstring osName;        // the disc's name for it
    bool windows64 = false;
    std::wstring languageCode;  // 0409
    std::wstring languageTag;   // the disc's tag for it
};

struct ReportDisc {
    std::wstring title;
    std::wstring root;  // the folder setup.exe ran from
};

// What a run did with an item.
enum class ItemRunResult {
    NotInRun,  // a scan, or an item that was not checked
    Done,
    Failed,
    NotRun,    // checked, but the run ended before it (a restart, a stop, an error)
};
const char* ItemRunResultName(ItemRunResult result);  // "done", "failed", "not run"; "" for NotInRun

struct ReportItem {
    std::int32_t itemNo = 0;
    int type = ITEM_TYPE_UNKNOWN;
    std::wstring typeText;          // the list's type text; empty for an unknown type
    std::wstring title;
    std::wstring discVersion;       // the list's version text (DisplayVersion, else the first version)
    std::wstring installedVersion;  // what detection read; empty when nothing was found
    std::wstring status;            // "offered", "installed" or "not offered"
    bool applies = false;
    bool checked = false;           // the program installs it (the scan: would install it)
    std::wstring reason;            // the tooltip's text
    std::optional<DecisionRecord> decision;  // none for a section that never became an item
    ItemRunResult result = ItemRunResult::NotInRun;
};

enum class ReportKind { Scan, Installation };

struct FleetReport {
    ReportKind kind = ReportKind::Scan;
    std::wstring programVersion;
    std::wstring created;  // local time, 2024-05-01 09:03:07
    ReportMachine machine;
    ReportDisc disc;
    std::wstring refusal;  // the disc refuses this machine: the message, and no items
    std::vector<ReportItem> items;  // in item order, which is the list's order
    int exitCode = 0;
};

// Everything the report needs to know of one evaluation.
struct ReportSource {
    const ItemList& items;
    const DecisionBook& decisions;
    const std::vector<DroppedItem>& dropped;
    // The title of a section that never became an item (the program reads it from the disc).
    std::function<std::wstring(std::int32_t)> droppedTitle;
    const ItemTypeTexts& typeTexts;
    const ReasonTexts& reasons;
};

// One entry per item section of the disc, in item order. `checked` names the items the list has
// checked; `results` what a run did (items missing from it were not run).
std::vector<ReportItem> ReportItemsOf(const ReportSource& source, const std::set<std::int32_t>& checked,
                                      const std::map<std::int32_t, ItemRunResult>& results = {});

// The run's results over entries built before it: a checked entry without a result was not run.
void ApplyRunResults(std::vector<ReportItem>& items, const std::map<std::int32_t, ItemRunResult>& results);

// At least one entry is checked: a scan's "something to install".
bool AnyItemChecked(const std::vector<ReportItem>& items);

// "status" as the simulation of tavelin-disc names it.
const wchar_t* PlacementStatus(ListPlacement placement);

}  // namespace tavelin
