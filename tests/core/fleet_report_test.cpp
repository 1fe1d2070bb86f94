// The report of a scan or a run, made from the decision records of a real evaluation: the whole
// test disc on its test machine (the files the simulation's test uses), so that every way an item
// can be judged is in it.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>

#include "authoring/disc_files.h"
#include "authoring/machine_profile.h"
#include "authoring/simulation.h"
#include "config/disc_checks.h"
#include "evaluate/evaluation_sequence.h"
#include "fake_evaluation_inputs.h"
#include "install/exit_code.h"
#include "report/report_json.h"
#include "report/report_page.h"
#include "runlog/utf8_text.h"

namespace tavelin {
namespace {

namespace fs = std::filesystem;

const ItemTypeTexts kTypeTexts{L"Driver", L"Recommend Application", L"Optional Application", L"HotFix"};

// The whole disc evaluated on its machine, as the program's startup does it.
struct EvaluatedDisc {
    fs::path disc = fs::path(TAVELIN_TEST_DATA) / "discs" / "whole";
    fs::path profileFile = fs::path(TAVELIN_TEST_DATA) / "profiles" / "whole" / "machine.ini";
    MachineProfile profile;
    std::unique_ptr<ConfigFile> config;
    LoadedCatalogue catalogue;
    DecisionBook decisions;
    ReasonTexts english;

    EvaluatedDisc() {
        EXPECT_TRUE(LoadMachineProfile(profileFile, profile).ok);
        config = std::make_unique<ConfigFile>(*FindOnDisc(disc, L"Lib\\TAVELIN.INI"));
        const ModelCheck model = CheckMachineModel(*config, profile.model);
        catalogue = LoadCatalogue(*config, profile.facts, model.machineModel);
        ProfileDevices devices(profile);
        RecordingSink sink;
        const DiagnosticSwitches switches;
        decisions = RunEvaluationPasses(catalogue.m_pItemList,
                                        {profile.facts, catalogue.m_szOSDisplayName, catalogue.m_szLanguageTag,
                                         profile.registry, devices, switches, sink},
                                        EvaluationRun::Startup);
    }

    std::vector<ReportItem> Items(const std::set<std::int32_t>& checked,
                                  const std::map<std::int32_t, ItemRunResult>& results = {}) const {
        const ReportSource source{catalogue.m_pItemList, decisions, catalogue.m_droppedItems,
                                  [this](std::int32_t itemNo) {
                                      return config->ReadIniValue(L"Item_" + std::to_wstring(itemNo),
                                                                  LocalizedKey(LocalizedBase::Title, {}));
                                  },
                                  kTypeTexts, english};
        return ReportItemsOf(source, checked, results);
    }
};

// The default selection of the recommended view: the offered items.
const std::set<std::int32_t> kOffered = {2, 5};

TEST(FleetReport, EachItemSectionGetsItsEntryFromItsDecisionRecord) {
    const EvaluatedDisc evaluated;
    const std::vector<ReportItem> items = evaluated.Items(kOffered);
    const struct {
        std::int32_t itemNo;
        const wchar_t* typeText;
        const wchar_t* discVersion;
        const wchar_t* installedVersion;
        const wchar_t* status;
        bool applies;
        bool checked;
        bool hasFacts;
    } expected[] = {
        {1, L"Driver", L"8.0.0.1", L"8.0.0.1", L"installed", true, false, true},
        {2, L"Driver", L"6.0.1.5000", L"6.0.1.4900", L"offered", true, true, true},
        {3, L"", L"", L"", L"not offered", false, false, false},  // another model: never loaded
        {4, L"", L"", L"", L"not offered", false, false, false},  // 32-bit only: never loaded
        // The device whose Windows driver the disc replaces, not the one with a newer driver.
        {5, L"Driver", L"2.0", L"2.0", L"offered", true, true, true},
        {6, L"Recommend Application", L"11.0", L"10.5", L"not offered", false, false, true},
        {7, L"Optional Application", L"2.0", L"3.0", L"not offered", false, false, true},
        {8, L"HotFix", L"", L"", L"not offered", false, false, true},
        {9, L"", L"", L"", L"not offered", false, false, true},
        {10, L"Optional Application", L"", L"", L"installed", true, false, true},
        {11, L"", L"", L"", L"not offered", false, false, false},
        {12, L"", L"", L"", L"not offered", false, false, false},
    };
    ASSERT_EQ(items.size(), std::size(expected));
    for (std::size_t i = 0; i < items.size(); ++i) {
        const ReportItem& item = items[i];
        SCOPED_TRACE(item.itemNo);
        EXPECT_EQ(item.itemNo, expected[i].itemNo) << "entries follow the item numbers, the list's order";
        EXPECT_EQ(item.typeText, expected[i].typeText);
        EXPECT_EQ(item.discVersion, expected[i].discVersion);
        EXPECT_EQ(item.installedVersion, expected[i].installedVersion);
        EXPECT_EQ(item.status, expected[i].status);
        EXPECT_EQ(item.applies, expected[i].applies);
        EXPECT_EQ(item.checked, expected[i].checked);
        EXPECT_EQ(item.decision.has_value(), expected[i].hasFacts);
        EXPECT_EQ(item.result, ItemRunResult::NotInRun);
    }
    EXPECT_TRUE(AnyItemChecked(items));
    EXPECT_FALSE(AnyItemChecked(evaluated.Items({})));
}

// A deployment tool tells "updates available" from every other outcome by the code alone.
TEST(FleetReport, AScanWithSomethingToInstallEndsWithACodeNoOtherOutcomeUses) {
    EXPECT_EQ(ScanExitCode(false), kExitSuccess);
    const int found = ScanExitCode(true);
    for (int other : {kExitSuccess, kExitBadSwitch, kExitItemFailed, kExitAlreadyRunning, kExitRestartStarted,
                      kExitRefused, kExitRestartNeeded}) {
        EXPECT_NE(found, other);
    }
    EXPECT_NE(found & 0x20000000, 0) << "the bit Windows leaves to applications' own codes";
}

// The report says what the simulation of the same disc on the same machine says, item by item:
// both are read by tools that compare machines.
TEST(FleetReport, ItsItemsAreTheSimulationsRows) {
    const EvaluatedDisc evaluated;
    const SimulationResult simulation = SimulateDisc(evaluated.disc, evaluated.profileFile);
    const std::vector<ReportItem> items = evaluated.Items(kOffered);
    ASSERT_EQ(items.size(), simulation.rows.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(items[i].itemNo);
        EXPECT_EQ(items[i].itemNo, simulation.rows[i].itemNo);
        EXPECT_EQ(items[i].title, simulation.rows[i].title);
        EXPECT_EQ(items[i].status, simulation.rows[i].status);
        EXPECT_EQ(items[i].applies, simulation.rows[i].applies);
        EXPECT_EQ(items[i].checked, simulation.rows[i].checked);
        EXPECT_EQ(items[i].reason, simulation.rows[i].reason);
    }
}

TEST(FleetReport, ARunsResultsMarkTheCheckedItemsItDidNotReachAsNotRun) {
    const EvaluatedDisc evaluated;
    // Item 2 failed; item 5 was checked but the run ended before it; item 1 was checked by hand
    // in the advanced view and done.
    const std::vector<ReportItem> items =
        evaluated.Items({1, 2, 5}, {{1, ItemRunResult::Done}, {2, ItemRunResult::Failed}});
    std::map<std::int32_t, ItemRunResult> results;
    for (const ReportItem& item : items) results[item.itemNo] = item.result;
    EXPECT_EQ(results.at(1), ItemRunResult::Done);
    EXPECT_EQ(results.at(2), ItemRunResult::Failed);
    EXPECT_EQ(results.at(5), ItemRunResult::NotRun);
    EXPECT_EQ(results.at(10), ItemRunResult::NotInRun) << "an unchecked item was never part of the run";
}

TEST(FleetReport, TheJsonDocumentCarriesTheMachineTheItemsAndTheirFacts) {
    const EvaluatedDisc evaluated;
    FleetReport report;
    report.kind = ReportKind::Installation;
    report.machine = {L"TV-1000", L"WNT_6.0_HOME_PREMIUM", L"Vista Home Premium", true, L"0409", L"ENG"};
    report.disc = {L"Driver disc \"2\" \u00e9", L"D:\\"};
    report.items = evaluated.Items(kOffered, {{2, ItemRunResult::Done}, {5, ItemRunResult::Failed}});
    report.exitCode = 1603;
    const nlohmann::json document = nlohmann::json::parse(ReportJson(report));

    EXPECT_EQ(document["schemaVersion"], kReportSchemaVersion);
    EXPECT_EQ(document["kind"], "installation");
    EXPECT_EQ(document["exitCode"], 1603);
    EXPECT_EQ(document["machine"]["model"], "TV-1000");
    EXPECT_EQ(document["machine"]["windows64"], true);
    EXPECT_EQ(document["disc"]["title"], "Driver disc \"2\" \xC3\xA9") << "quotes and accents survive";
    ASSERT_EQ(document["items"].size(), 12u);

    const nlohmann::json& audio = document["items"][1];
    EXPECT_EQ(audio["item"], 2);
    EXPECT_EQ(audio["type"], ITEM_TYPE_DRIVER);
    EXPECT_EQ(audio["status"], "offered");
    EXPECT_EQ(audio["result"], "done");
    EXPECT_EQ(audio["reason"], EncodeUtf8(report.items[1].reason));
    const nlohmann::json& driver = audio["facts"]["drivers"][0];
    EXPECT_EQ(driver["hardwareId"], "HDAUDIO\\FUNC_01&VEN_10EC&DEV_0888");
    EXPECT_EQ(driver["version"]["installedVersion"], "6.0.1.4900");
    EXPECT_EQ(driver["version"]["discVersion"], "6.0.1.5000");
    EXPECT_EQ(driver["version"]["comparison"], "disc newer");
    EXPECT_EQ(audio["facts"]["hardware"]["devices"][0]["present"], true);

    EXPECT_EQ(document["items"][4]["result"], "failed");
    const nlohmann::json& player = document["items"][5];
    EXPECT_EQ(player["result"], nullptr) << "an item outside the run has no result";
    EXPECT_EQ(player["facts"]["exclusion"], "operating system");
    EXPECT_EQ(player["facts"]["operatingSystem"]["machine"], "Vista Home Premium");
    EXPECT_EQ(player["facts"]["application"]["version"]["installedVersion"], "10.5");
    ASSERT_EQ(document["items"][7]["facts"]["visibility"].size(), 1u);
    EXPECT_EQ(document["items"][7]["facts"]["visibility"][0]["key"], "Invisible_If_Item_Exist");
    EXPECT_EQ(document["items"][7]["facts"]["visibility"][0]["items"], nlohmann::json::array({1}));
    EXPECT_EQ(document["items"][7]["facts"]["exclusion"], "hidden");
    EXPECT_EQ(document["items"][10]["facts"], nullptr) << "a section that never became an item has no record";
    EXPECT_EQ(document["items"][10]["reason"], "Not offered: it has no title in this language or in English");
}

TEST(FleetReport, ThePageHasOneRowPerItemColouredByWhatHappensAndEscapesEveryText) {
    EvaluatedDisc evaluated;
    FleetReport report;
    report.machine.model = L"<script>alert(1)</script>";
    report.disc.title = L"Tom & Jerry's \"disc\"";
    report.items = evaluated.Items(kOffered);
    report.items[0].title = L"<b>Chipset</b>";
    const std::string page = ReportPage(report, ReportPageTexts{});

    EXPECT_EQ(page.find("<script"), std::string::npos) << "the page runs nothing, whatever the disc says";
    EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(page.find("Tom &amp; Jerry&#39;s &quot;disc&quot;"), std::string::npos);
    EXPECT_NE(page.find("&lt;b&gt;Chipset&lt;/b&gt;"), std::string::npos);
    EXPECT_EQ(page.find("src="), std::string::npos) << "no external file";
    EXPECT_EQ(page.find("href="), std::string::npos) << "no external file";

    std::size_t rows = 0;
    for (std::size_t at = page.find("<tr class=\""); at != std::string::npos; at = page.find("<tr class=\"", at + 1)) ++rows;
    EXPECT_EQ(rows, report.items.size());
    // A reason of two lines keeps its line break.
    EXPECT_NE(page.find("is in the registry)<br>Shown by the disc&#39;s rule"), std::string::npos);

    const struct {
        ItemRunResult result;
        bool checked;
        const wchar_t* status;
        const char* rowClass;
    } classes[] = {
        {ItemRunResult::NotInRun, true, L"offered", "install"},
        {ItemRunResult::NotInRun, false, L"offered", "offered"},
        {ItemRunResult::NotInRun, false, L"installed", "installed"},
        {ItemRunResult::NotInRun, false, L"not offered", "excluded"},
        {ItemRunResult::Done, true, L"offered", "done"},
        {ItemRunResult::Failed, true, L"installed", "failed"},
        {ItemRunResult::NotRun, true, L"offered", "notrun"},
    };
    for (const auto& c : classes) {
        ReportItem item;
        item.result = c.result;
        item.checked = c.checked;
        item.status = c.status;
        EXPECT_STREQ(ReportRowClass(item), c.rowClass);
    }
}

}  // namespace
}  // namespace tavelin
