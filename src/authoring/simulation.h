// "tavelin-disc simulate": what the program would show on the machine a profile describes, made
// by the program's own loader, disc checks, evaluation passes and list plan.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tavelin {

struct SimulatedRow {
    std::int32_t itemNo = 0;
    std::wstring title;
    bool applies = false;
    std::wstring status;         // "offered", "installed" or "not offered"
    bool recommendView = false;  // has a row in the first (recommended) view
    bool advanceView = false;    // has a row in the advanced view
    bool checked = false;
    std::wstring reason;
};

// A row of the list as the program shows it in one view: its cells and its check box.
struct SimulatedListRow {
    std::int32_t itemNo = 0;
    bool checked = false;
    bool installedRow = false;  // greyed: its box stays clear and cannot be checked
    std::wstring title;
    std::wstring typeText;     // the English user-interface texts
    std::wstring versionText;  // the disc's version, or "Installed"
};

struct SimulationResult {
    std::wstring error;    // the disc or the profile could not be used
    std::wstring refusal;  // the program's message when the disc does not fit the machine
    std::wstring caption;  // the window title
    std::vector<SimulatedRow> rows;  // every item section of the disc, in item order
    std::vector<SimulatedListRow> recommendedList;  // the list at startup
    std::vector<SimulatedListRow> advancedList;     // the list after Advance
};

SimulationResult SimulateDisc(const std::filesystem::path& discRoot, const std::filesystem::path& profileFile);

std::string SimulationText(const SimulationResult& result);
std::string SimulationJson(const SimulationResult& result);

}  // namespace tavelin
