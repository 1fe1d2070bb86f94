// The report as one self-contained HTML page for a person: the machine, then a table of the items in
// list order, each row coloured by what the program will do or did, with its reason. No script,
// no file beside it; every text from the disc or the machine is escaped.
#pragma once

#include <string>

#include "report/fleet_report.h"

namespace tavelin {

// The page's words. The column headings and the run's statuses are the program's own texts (a
// language library translates them); the rest is English, like the run log.
struct ReportPageTexts {
    std::wstring name = L"Name";
    std::wstring type = L"Type";
    std::wstring version = L"Version";
    std::wstring done = L"Done";
    std::wstring failed = L"Failed";
};

// "&", "<", ">", '"' and "'" as entities; control characters other than line ends dropped.
std::wstring EscapeHtml(const std::wstring& text);

// The row's class, which gives its colour: "install" (checked), "offered" (offered, not checked),
// "installed", "excluded"; after a run "done", "failed" or "notrun" for the checked rows.
const char* ReportRowClass(const ReportItem& item);

std::string ReportPage(const FleetReport& report, const ReportPageTexts& texts);

}  // namespace tavelin
