// What a fleet's administrator gets besides the run: /scan, which installs nothing and says what
// the disc would do; /report, the file that says it (JSON here, the page in report_page_test.cpp);
// and the restore point before the first driver, which Wine's System Restore cannot make: the run
// goes on and the log says so. Each test has registry keys of its own.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "driver/narrow_text.h"
#include "driver/program_driver.h"
#include "driver/sample_disc.h"
#include "driver/test_registry.h"
#include "../support/file_contents_win.h"

namespace tavelin::testing {
namespace {

const int kStartButton = 1008;
const wchar_t kRecordKey[] = L"SOFTWARE\\Tavelin";

std::string Key(const std::string& name) { return "SOFTWARE\\TavelinFleetTest\\" + name; }

// An application the sample installer installs by writing the version detection reads.
std::string Application(int number, const std::string& key) {
    return SampleApplication(number, "App " + std::to_string(number), Key(key), 100);
}

// A hotfix: found by its key alone; the restore point is made before the first one of a run.
std::string Hotfix(int number, const std::string& key) {
    return "[Item_" + std::to_string(number) + "]\r\nType=HOTFIX\r\nTitle_ENG=Hotfix " + std::to_string(number) +
           "\r\nVersion_Path=" + Key(key) + "\r\nSlient_Install_Cmd=\\Apps\\Power\\Setup.exe%%/delay 100 /set " +
           Key(key) + " Installed 1\r\n";
}

std::string MissingInstaller(int number) {
    return "[Item_" + std::to_string(number) + "]\r\nType=OPTIONAL_APPLICATION\r\nTitle_ENG=Broken\r\n"
           "Version_Path=" + Key("Broken") + "\r\nSlient_Install_Cmd=\\Apps\\Missing.exe\r\n";
}

TestDisc MakeDisc(const std::wstring& name, const std::string& items, int quantity, const std::string& discKeys = "") {
    return MakeSampleDisc(name, "Fleet Disc", 0, items, quantity, discKeys, RestartHelper::None);
}

nlohmann::json ReadReport(const std::wstring& path) {
    const nlohmann::json report = nlohmann::json::parse(ReadFileBytes(path), nullptr, false);
    EXPECT_FALSE(report.is_discarded()) << ReadFileBytes(path);
    return report;
}

TEST(FleetScan, AQuietScanInstallsNothingLeavesTheRestartRecordAndSaysThereIsSomethingToInstall) {
    SetRegistryString(Widen(Key("Installed")), L"Version", L"2.0");
    const TestDisc disc = MakeDisc(L"scan-quiet", Application(1, "Installed") + Application(2, "Missing"), 2);
    // A restart record of an earlier run that waits for the installed item: resuming it would check
    // that item alone.
    SetRegistryString(kRecordKey, L"InstallWaitingList", L"1");
    const std::wstring report = disc.DiscRoot() + L"\\..\\scan-quiet.json";
    const std::wstring log = disc.DiscRoot() + L"\\..\\scan-quiet.log";
    RunningProgram program(disc.ProgramPath(), L"setup.exe /scan /quiet /report \"" + report + L"\" /log \"" + log + L"\"");
    EXPECT_TRUE(program.EndsWithoutShowingAnyWindow(60000));
    EXPECT_EQ(program.ExitCode(), 0x20000001u) << "something to install";

    EXPECT_EQ(ReadRegistryString(Widen(Key("Missing")), L"Version"), L"<no key>") << "a scan installs nothing";
    EXPECT_EQ(ReadRegistryString(kRecordKey, L"InstallWaitingList"), L"1") << "a scan leaves the record";
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, kRecordKey, RegistryView::View32);

    const nlohmann::json document = ReadReport(report);
    EXPECT_EQ(document["kind"], "scan");
    EXPECT_EQ(document["exitCode"], 0x20000001);
    EXPECT_EQ(document["disc"]["title"], "Fleet Disc");
    ASSERT_EQ(document["items"].size(), 2u);
    EXPECT_EQ(document["items"][0]["status"], "installed");
    EXPECT_EQ(document["items"][0]["installedVersion"], "2.0");
    EXPECT_EQ(document["items"][0]["checked"], false);
    EXPECT_EQ(document["items"][1]["status"], "offered");
    EXPECT_EQ(document["items"][1]["checked"], true);
    EXPECT_EQ(document["items"][1]["reason"],
              "Offered: not installed (" + Key("Missing") + " is not in the registry)");
    const std::string text = ReadFileBytes(log);
    EXPECT_NE(text.find("Scan complete, nothing installed: the disc has something to install on this machine"),
              std::string::npos) << text;
    EXPECT_EQ(text.find("Installation run begins"), std::string::npos) << text;
}

TEST(FleetScan, AScanInTheWindowShowsTheListWithStartOffAndNothingToInstallGivesZero) {
    SetRegistryString(Widen(Key("Window")), L"Version", L"2.0");
    const TestDisc disc = MakeDisc(L"scan-window", Application(1, "Window"), 1);
    const std::wstring report = disc.DiscRoot() + L"\\..\\scan-window.html";
    RunningProgram program(disc.ProgramPath(), L"setup.exe /scan /report \"" + report + L"\"");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, kStartButton))) << "a scan has no Start";
    // A click that reaches the dialog all the same starts nothing.
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(kStartButton, BN_CLICKED), 0);
    EXPECT_EQ(program.WaitForMessageBox(2000), nullptr) << "no question, no run";
    EXPECT_TRUE(program.Close());
    EXPECT_EQ(program.ExitCode(), 0u) << "nothing to install";
    const std::string page = ReadFileBytes(report);
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u) << page;
    EXPECT_NE(page.find("Greyed: installed, same version as on the disc"), std::string::npos) << page;
}

TEST(FleetScan, ARunsReportGivesEachItemsResultAndTheExitCode) {
    const TestDisc disc = MakeDisc(L"run-report", Application(1, "Run1") + MissingInstaller(2) + Application(3, "Run3"), 3);
    const std::wstring report = disc.DiscRoot() + L"\\..\\run-report.json";
    RunningProgram program(disc.ProgramPath(), L"setup.exe /quiet /report \"" + report + L"\"");
    EXPECT_TRUE(program.EndsWithoutShowingAnyWindow(60000));
    EXPECT_EQ(program.ExitCode(), 1603u);
    const nlohmann::json document = ReadReport(report);
    EXPECT_EQ(document["kind"], "installation");
    EXPECT_EQ(document["exitCode"], 1603);
    ASSERT_EQ(document["items"].size(), 3u);
    EXPECT_EQ(document["items"][0]["result"], "done");
    EXPECT_EQ(document["items"][1]["result"], "failed");
    EXPECT_EQ(document["items"][2]["result"], "done");
    EXPECT_EQ(document["items"][2]["status"], "offered") << "what the program decided before the run";
}

// Wine's srclient.dll has SRSetRestorePointW, a stand-in that fails without a reason.
TEST(FleetRestorePoint, WithoutAWorkingSystemRestoreTheRunGoesOnAndTheLogSaysSo) {
    const struct {
        const wchar_t* name;
        const wchar_t* switches;
        std::string discKeys;
        const char* logged;
    } cases[] = {
        {L"restore-point", L"", "",
         "Restore point: not made, System Restore is missing on this Windows or does not work on it; the run goes on"},
        {L"restore-point-switch", L" /norestorepoint", "", "Restore point before Item 2: not made, /norestorepoint"},
        {L"restore-point-disc", L"", "Restore_Point=0\r\n",
         "Restore point before Item 2: not made, the disc says Restore_Point=0"},
    };
    for (const auto& c : cases) {
        const std::string set = Narrow(c.name);
        SCOPED_TRACE(set);
        const TestDisc disc = MakeDisc(c.name, Application(1, set + "App") + Hotfix(2, set + "Fix"), 2, c.discKeys);
        const std::wstring log = disc.DiscRoot() + L"\\..\\" + c.name + L".log";
        RunningProgram program(disc.ProgramPath(), L"setup.exe /quiet /log \"" + log + L"\"" + c.switches);
        EXPECT_TRUE(program.EndsWithoutShowingAnyWindow(60000));
        EXPECT_EQ(program.ExitCode(), 0u);
        EXPECT_EQ(ReadRegistryString(Widen(Key(set + "Fix")), L"Installed"), L"1") << "the hotfix was installed";
        const std::string text = ReadFileBytes(log);
        EXPECT_NE(text.find(c.logged), std::string::npos) << text;
        EXPECT_LT(text.find("Item 1: row 1 result Done"), text.find("Restore point before Item 2")) << text;
        EXPECT_LT(text.find("Restore point before Item 2"), text.find("Item 2: install command line")) << text;
    }
}

}  // namespace
}  // namespace tavelin::testing
