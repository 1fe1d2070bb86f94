#include "authoring/simulation.h"

#include <map>

#include "authoring/disc_files.h"
#include "authoring/machine_profile.h"
#include "authoring/report.h"
#include "config/catalogue.h"
#include "config/disc_checks.h"
#include "config/text.h"
#include "evaluate/decision_text.h"
#include "evaluate/evaluation_sequence.h"
#include "evaluate/list_plan.h"

namespace tavelin {

namespace {

// The English user-interface texts the refusals start with (texts 111 and 127 of the program).
const std::wstring kNotSuitableMachine = L"This is not a suitable machine for this driver disk";
const std::wstring kSuitableOs = L"Suitable OS for this driver disk :";
// The English type texts of the list's third column (texts of the program's own resources).
const ItemTypeTexts kEnglishTypeTexts{L"Driver", L"Recommend Application", L"Optional Application", L"HotFix"};

class SilentSink : public MessageSink {
public:
    void ShowMessage(const std::wstring&) override {}
};

std::wstring StatusOf(const DecisionRecord& decision) {
    switch (decision.placement) {
    case ListPlacement::Offered: return L"offered";
    case ListPlacement::InstalledRow: return L"installed";
    case ListPlacement::None: break;
    }
    return L"not offered";
}

const char* YesNo(bool value) { return value ? "yes" : "no"; }

std::string JsonText(const std::wstring& text) {
    std::string out = "\"";
    for (char c : EncodeUtf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (static_cast<unsigned char>(c) >= 0x20) {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

SimulationResult SimulateDisc(const std::filesystem::path& discRoot, const std::filesystem::path& profileFile) {
    SimulationResult result;
    MachineProfile profile;
    const ProfileLoad load = LoadMachineProfile(profileFile, profile);
    if (!load.ok) {
        result.error = load.error;
        return result;
    }
    const auto catalogueFile = FindOnDisc(discRoot, L"Lib\\TAVELIN.INI");
    if (!catalogueFile) {
        result.error = L"the disc has no Lib\\TAVELIN.INI";
        return result;
    }
    const ConfigFile config(*catalogueFile);
    SilentSink silent;

    // The startup's order: title, model, OS; a refusal ends the program before the list.
    result.caption = ReadDiscTitle(config, profile.facts.m_szLanguageCode);
    const ModelCheck model = CheckMachineModel(config, profile.model);
    if (!model.allowed) {
        result.refusal = kNotSuitableMachine;
        return result;
    }
    const OsCheck os = CheckOperatingSystem(config, profile.facts, false, kSuitableOs, silent);
    if (!os.errorText.empty()) {
        result.refusal = os.errorText;
        return result;
    }

    LoadedCatalogue catalogue = LoadCatalogue(config, profile.facts, model.machineModel);
    ProfileDevices devices(profile);
    const DiagnosticSwitches switches;
    const DecisionBook decisions =
        RunEvaluationPasses(catalogue.m_pItemList,
                            {profile.facts, catalogue.m_szOSDisplayName, catalogue.m_szLanguageTag, profile.registry,
                             devices, switches, silent},
                            EvaluationRun::Startup);

    auto rowsIn = [&](bool advancedView, std::vector<SimulatedListRow>& list) {
        std::map<std::int32_t, bool> checkedByItem;
        ListPopulationInput input;
        input.advancedView = advancedView;
        for (const PlannedRow& row : PlanItemList(catalogue.m_pItemList, input, kEnglishTypeTexts)) {
            checkedByItem[row.item->m_nItemNo] = row.checked;
            list.push_back({row.item->m_nItemNo, row.checked, row.installedRow, row.title, row.typeText,
                            row.versionText});
        }
        return checkedByItem;
    };
    const auto recommend = rowsIn(false, result.recommendedList);
    const auto advance = rowsIn(true, result.advancedList);

    const ReasonTexts english;
    std::map<std::int32_t, SimulatedRow> rows;
    for (const auto& item : catalogue.m_pItemList) {
        SimulatedRow row;
        row.itemNo = item->m_nItemNo;
        row.title = item->m_strTitle;
        if (const DecisionRecord* decision = decisions.Find(item->m_nItemNo)) {
            row.applies = decision->applies;
            row.status = StatusOf(*decision);
            row.reason = ReasonSummary(*decision, english);
        }
        row.recommendView = recommend.count(row.itemNo) > 0;
        row.advanceView = advance.count(row.itemNo) > 0;
        row.checked = row.advanceView && advance.at(row.itemNo);
        rows[row.itemNo] = std::move(row);
    }
    for (const DroppedItem& dropped : catalogue.m_droppedItems) {
        SimulatedRow row;
        row.itemNo = dropped.itemNo;
        row.title = config.ReadIniValue(L"Item_" + DecimalText(dropped.itemNo), LocalizedKey(LocalizedBase::Title, {}));
        row.status = L"not offered";
        row.reason = DroppedItemReason(dropped, english);
        rows[row.itemNo] = std::move(row);
    }
    for (auto& [number, row] : rows) result.rows.push_back(std::move(row));
    return result;
}

std::string SimulationText(const SimulationResult& result) {
    std::string out = "Window title: " + EncodeUtf8(result.caption) + "\n";
    if (!result.refusal.empty()) {
        return out + "The program refuses this machine:\n" + EncodeUtf8(result.refusal) + "\n";
    }
    for (const SimulatedRow& row : result.rows) {
        out += "Item_" + std::to_string(row.itemNo) + " " + EncodeUtf8(row.title) + "\n";
        out += "  " + EncodeUtf8(row.status) + "; applies: " + YesNo(row.applies) + "; views: " +
               (row.recommendView ? "recommended and advanced" : row.advanceView ? "advanced" : "none") +
               "; checked: " + YesNo(row.checked) + "\n";
        std::wstring reason = row.reason;
        for (std::size_t at = reason.find(L'\n'); at != std::wstring::npos; at = reason.find(L'\n', at + 5)) {
            reason.replace(at, 1, L"\n    ");
        }
        out += "    " + EncodeUtf8(reason) + "\n";
    }
    // The list as the program shows it: "[x]" checked, "[ ]" not (a greyed row's box is clear,
    // its version cell says "Installed"); then the cells.
    auto list = [&out](const char* heading, const std::vector<SimulatedListRow>& rows) {
        out += heading;
        for (const SimulatedListRow& row : rows) {
            out += std::string("  ") + (row.checked ? "[x] " : "[ ] ") +
                   EncodeUtf8(row.title + L" | " + row.typeText + L" | " + row.versionText) + "\n";
        }
    };
    list("Recommended view:\n", result.recommendedList);
    list("Advanced view:\n", result.advancedList);
    return out;
}

std::string SimulationJson(const SimulationResult& result) {
    std::string out = "{\"caption\":" + JsonText(result.caption) + ",\"refusal\":" + JsonText(result.refusal) + ",\"items\":[";
    for (std::size_t i = 0; i < result.rows.size(); ++i) {
        const SimulatedRow& row = result.rows[i];
        out += i == 0 ? "\n" : ",\n";
        out += "{\"item\":" + std::to_string(row.itemNo) + ",\"title\":" + JsonText(row.title) +
               ",\"applies\":" + (row.applies ? "true" : "false") + ",\"status\":" + JsonText(row.status) +
               ",\"recommendedView\":" + (row.recommendView ? "true" : "false") +
               ",\"advancedView\":" + (row.advanceView ? "true" : "false") +
               ",\"checked\":" + (row.checked ? "true" : "false") + ",\"reason\":" + JsonText(row.reason) + "}";
    }
    return out + "\n]}\n";
}

}  // namespace tavelin
