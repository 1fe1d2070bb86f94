// The simulation is honest: on each machine and disc of the program tests, the disc's own
// tavelin-profile captures the machine, tavelin-disc simulates the disc on that profile, and what
// it prints (the window title, the rows of both views with their cells and check boxes) is what
// setup.exe shows on the same machine. The capture and the simulation are tested together: a key
// the capture leaves out or a rule the simulation gets wrong both show as a different row.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

#include "driver/console_run.h"
#include "driver/list_reader.h"
#include "driver/program_driver.h"
#include "driver/test_machines.h"
#include "driver/test_registry.h"
#include "../support/file_contents_win.h"

namespace tavelin::testing {
namespace {

const int kAdvanceButton = 1009;
const int kItemList = 1007;

struct Shown {
    std::wstring caption;
    std::wstring lists;    // as the simulation prints them
    std::wstring refusal;  // the last message before the program ended without its window
};

// "Recommended view:" and "Advanced view:", each row "  [x] Title | Type | Version".
std::wstring ListText(HWND window, const wchar_t* heading) {
    std::wstring text = heading;
    for (const ListRow& row : ReadListRows(GetDlgItem(window, kItemList))) {
        const wchar_t* box = row.check == 1 ? L"[x] " : row.check == 0 ? L"[ ] " : L"[no box] ";
        text += L"  " + std::wstring(box) + row.cells[1] + L" | " + row.cells[2] + L" | " + row.cells[3] + L"\n";
    }
    return text;
}

Shown WhatTheProgramShows(const TestDisc& disc) {
    Shown shown;
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    const std::vector<std::wstring> messages = program.CollectMessagesUntilSettled();
    HWND window = program.WaitForMainWindow(5000);
    if (window == nullptr) {
        EXPECT_TRUE(program.WaitForExit());
        if (!messages.empty()) shown.refusal = messages.back();
        return shown;
    }
    shown.caption = WindowText(window);
    shown.lists = ListText(window, L"Recommended view:\n");
    // Sent, not posted: the advanced view is filled when the call returns.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_COMMAND, MAKEWPARAM(kAdvanceButton, BN_CLICKED), 0, SMTO_NORMAL, 10000, &ignored);
    shown.lists += ListText(window, L"Advanced view:\n");
    EXPECT_TRUE(program.Close());
    return shown;
}

Shown WhatTheSimulationPrints(const TestDisc& disc, const std::wstring& name) {
    Shown printed;
    const std::wstring profile = L"C:\\tavelin-tests\\" + name + L"-profile.ini";
    const ConsoleRun capture =
        RunConsoleProgram(disc.DiscRoot() + L"\\tavelin-profile.exe", L"tavelin-profile.exe \"" + profile + L"\"");
    EXPECT_TRUE(capture.started);
    EXPECT_EQ(capture.exitCode, 0u) << capture.output;
    const std::wstring tool = PathFromEnvironment("TAVELIN_BUILD_DIR") + L"\\src\\tavelin-disc.exe";
    const ConsoleRun simulate =
        RunConsoleProgram(tool, L"tavelin-disc simulate \"" + disc.DiscRoot() + L"\" \"" + profile + L"\"");
    EXPECT_EQ(simulate.exitCode, 0u) << simulate.output;
    // A console program's standard output is in text mode on Windows: its lines end in CR LF.
    std::wstring text = Widen(simulate.output);
    text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());
    const std::wstring titleLine = L"Window title: ";
    if (text.rfind(titleLine, 0) == 0) printed.caption = text.substr(titleLine.size(), text.find(L'\n') - titleLine.size());
    const std::size_t lists = text.find(L"Recommended view:");
    if (lists != std::wstring::npos) printed.lists = text.substr(lists);
    const std::wstring refuses = L"The program refuses this machine:\n";
    const std::size_t refusal = text.find(refuses);
    if (refusal != std::wstring::npos) {
        printed.refusal = text.substr(refusal + refuses.size());
        if (!printed.refusal.empty()) printed.refusal.pop_back();  // the line end the tool adds
    }
    return printed;
}

// `setup.exe /scan /quiet /report FILE.json` on the same machine: its items are the simulation's
// (as `tavelin-disc simulate --json` prints them), its exit code says whether anything is to be
// installed, and a refused machine gets 1633 and a report with the refusal and no items.
void ExpectTheScanReportsWhatTheSimulationPrints(const TestDisc& disc, const std::wstring& name) {
    const std::wstring report = L"C:\\tavelin-tests\\" + name + L"-scan.json";
    RunningProgram scan(disc.ProgramPath(), L"setup.exe /scan /quiet /report \"" + report + L"\"");
    ASSERT_TRUE(scan.EndsWithoutShowingAnyWindow(60000));
    const nlohmann::json scanned = nlohmann::json::parse(ReadFileBytes(report), nullptr, false);
    ASSERT_FALSE(scanned.is_discarded()) << ReadFileBytes(report);

    const std::wstring profile = L"C:\\tavelin-tests\\" + name + L"-profile.ini";
    const std::wstring tool = PathFromEnvironment("TAVELIN_BUILD_DIR") + L"\\src\\tavelin-disc.exe";
    const ConsoleRun simulate =
        RunConsoleProgram(tool, L"tavelin-disc simulate --json \"" + disc.DiscRoot() + L"\" \"" + profile + L"\"");
    ASSERT_EQ(simulate.exitCode, 0u) << simulate.output;
    const nlohmann::json simulated = nlohmann::json::parse(simulate.output);

    EXPECT_EQ(scanned["kind"], "scan");
    if (!simulated["refusal"].get<std::string>().empty()) {
        EXPECT_EQ(scan.ExitCode(), 1633u);
        EXPECT_EQ(scanned["refusal"], simulated["refusal"]);
        EXPECT_TRUE(scanned["items"].empty());
        return;
    }
    EXPECT_EQ(scanned["disc"]["title"], simulated["caption"]);
    ASSERT_EQ(scanned["items"].size(), simulated["items"].size()) << ReadFileBytes(report);
    bool anyChecked = false;
    for (std::size_t i = 0; i < simulated["items"].size(); ++i) {
        const nlohmann::json& got = scanned["items"][i];
        const nlohmann::json& want = simulated["items"][i];
        SCOPED_TRACE(want.dump());
        for (const char* field : {"item", "title", "applies", "status", "checked", "reason"}) {
            EXPECT_EQ(got[field], want[field]) << field;
        }
        EXPECT_EQ(got["result"], nullptr) << "a scan installs nothing";
        anyChecked = anyChecked || want["checked"].get<bool>();
    }
    EXPECT_EQ(scan.ExitCode(), anyChecked ? 0x20000001u : 0u);
    EXPECT_EQ(scanned["exitCode"].get<unsigned>(), scan.ExitCode());
}

struct DifferentialCase {
    const wchar_t* name;
    void (*setUp)(const TestDisc& disc);  // the machine and the disc
};

const DifferentialCase kCases[] = {
    // A present device with its driver installed, an application older than the disc's, a hotfix
    // missing, an item of unknown type.
    {L"evaluation",
     [](const TestDisc& disc) {
         AddInstalledDisplayAdapter();
         SetRegistryString(L"SOFTWARE\\TavelinEvaluationTest\\Power Manager", L"Version", L"1.0");
         disc.WriteIni(kEvaluationDisc);
     }},
    // The installed application visible to 64-bit programs only: the program finds it in its
    // second look, so the capture must keep the 64-bit view too. Before the case
    // below, which puts the key in the program's own view.
    {L"list-64bit-view", [](const TestDisc& disc) {
         AddListMachine(RegistryViewFlag(RegistryView::View64));
         disc.WriteIni(kListDisc);
     }},
    // Applications installed and missing, a dependence, an item for another Windows.
    {L"list", [](const TestDisc& disc) {
         AddListMachine();
         disc.WriteIni(kListDisc);
     }},
    // The demo disc on the demo machine: two devices without drivers, nothing installed.
    {L"demo", [](const TestDisc& disc) {
         AddDemoDevices();
         CopyDemoDisc(disc);
     }},
    // Libraries that are not the stand-ins: the model and the devices are theirs, not SetupAPI's,
    // and only the disc's own libraries can tell them.
    {L"scripted", [](const TestDisc& disc) {
         AddInstalledDisplayAdapter();
         disc.UseScriptedLibraries("model=Tavelin Book 7\r\nenum=TAVPCI\\VEN_8086&DEV_27A2\r\nusb=USB\\VID_0BDA&PID_0151\r\n");
         disc.WriteIni(
             "[Driver_CD]\r\nTitle_ENG=Scripted Disc\r\nModel=Tavelin Book 7\r\n"
             "[Items]\r\nItem_Quantity=3\r\n"
             "[Item_1]\r\nType=DRIVER\r\nTitle_ENG=Display Driver\r\nHW_ID_Quantity=1\r\n"
             "HW_ID_1=TAVPCI\\VEN_8086&DEV_27A2\r\nVersion_1=6.15.10.1000\r\nDate_1=1-1-2008\r\n"
             "[Item_2]\r\nType=DRIVER\r\nTitle_ENG=Card Reader\r\nHW_ID_Quantity=1\r\n"
             "HW_ID_1=USB\\VID_0BDA&PID_0151\r\nVersion_1=1.0\r\nDisplayVersion=1.0\r\n"
             "[Item_3]\r\nType=DRIVER\r\nTitle_ENG=Modem\r\nHW_ID_Quantity=1\r\n"
             "HW_ID_1=TAVPCI\\VEN_14F1&DEV_2F20\r\nVersion_1=1.0\r\n");
     }},
};

// Each case on a disc of its own, in the group's one machine: cases that change the machine come
// in an order where what an earlier one added does not decide a later one.
void RunCases(const DifferentialCase* begin, const DifferentialCase* end) {
    for (const DifferentialCase* c = begin; c != end; ++c) {
        SCOPED_TRACE(std::string(c->name, c->name + wcslen(c->name)));
        TestDisc disc(std::wstring(L"differential-") + c->name);
        disc.CopyIn(PathFromEnvironment("TAVELIN_BUILD_DIR") + L"\\src\\tavelin-profile.exe", L"tavelin-profile.exe");
        c->setUp(disc);

        const Shown program = WhatTheProgramShows(disc);
        ASSERT_TRUE(!program.lists.empty() || !program.refusal.empty()) << "the program showed neither list nor refusal";
        const Shown simulation = WhatTheSimulationPrints(disc, std::wstring(L"differential-") + c->name);
        EXPECT_EQ(simulation.refusal, program.refusal);
        if (program.refusal.empty()) {
            EXPECT_EQ(simulation.caption, program.caption);  // a refused program's window is never shown
        }
        EXPECT_EQ(simulation.lists, program.lists);
        ExpectTheScanReportsWhatTheSimulationPrints(disc, std::wstring(L"differential-") + c->name);
    }
}

TEST(SimulationDifferential, TheSimulationOfACapturedMachineShowsWhatTheProgramShows) {
    RunCases(std::begin(kCases), std::end(kCases));
}

// The disc suitability tests' machine: Windows XP x64 (OS key WNT_5.2_XP64) and a model from the
// scripted libraries; discs refused for their model, bitness and Windows, and one whose items
// are for different Windows and bitnesses.
const char kXp64Model[] = "model=Tavelin TestBook 14\r\n";
std::string SuitabilityDisc(const std::string& driverCdKeys, const std::string& items = "[Items]\r\nItem_Quantity=0\r\n") {
    return "[Driver_CD]\r\n" + driverCdKeys +
           "[OS_Language_Tag]\r\n0409=ENG\r\nWNT_5.2_XP64=Windows XP x64\r\nWNT_5.1_XP=Windows XP\r\n" + items;
}

const DifferentialCase kXp64Cases[] = {
    {L"xp64-model", [](const TestDisc& disc) {
         disc.UseScriptedLibraries(kXp64Model);
         disc.WriteIni(SuitabilityDisc("Model=Other Book 1, Other Book 2\r\nSystem_Type=32BIT\r\n"));
     }},
    {L"xp64-bitness", [](const TestDisc& disc) {
         disc.UseScriptedLibraries(kXp64Model);
         disc.WriteIni(SuitabilityDisc("System_Type=32BIT\r\nOS_VERSION=Windows XP x64, Windows XP\r\n"));
     }},
    {L"xp64-os", [](const TestDisc& disc) {
         disc.UseScriptedLibraries(kXp64Model);
         disc.WriteIni(SuitabilityDisc("System_Type=32BIT, 64BIT\r\nOS_VERSION=Windows XP,Windows Vista\r\n"));
     }},
    {L"xp64-items", [](const TestDisc& disc) {
         disc.UseScriptedLibraries(kXp64Model);
         disc.WriteIni(SuitabilityDisc(
             "Model=Other Book, tavelin testbook 14 \r\nTitle_ENG=Allowed Disc\r\nOS_VERSION=Windows XP x64\r\n",
             "[Items]\r\nItem_Quantity=4\r\n"
             "[Item_1]\r\nType=OPTIONAL_APPLICATION\r\nTitle_ENG=For XP x64\r\nOS_Version=Windows XP x64\r\n"
             "Version_Path=SOFTWARE\\TavelinDifferential\\XP64\r\n"
             "[Item_2]\r\nType=OPTIONAL_APPLICATION\r\nTitle_ENG=For XP\r\nOS_Version=Windows XP\r\n"
             "Version_Path=SOFTWARE\\TavelinDifferential\\XP\r\n"
             "[Item_3]\r\nType=RECOMMENDED_APPLICATION\r\nTitle_ENG=For 32-bit\r\nSystem_Type=32BIT\r\n"
             "Version_Path=SOFTWARE\\TavelinDifferential\\32\r\n"
             "[Item_4]\r\nType=HOTFIX\r\nTitle_ENG=Installed Hotfix\r\nModel=Tavelin TestBook 14\r\n"
             "Version_Path=SOFTWARE\\TavelinDifferential\\Hotfix\r\n"));
         SetRegistryString(L"SOFTWARE\\TavelinDifferential\\Hotfix", L"Installed", L"1");
     }},
};

TEST(SimulationDifferentialXp64, RefusalsAndWindowsRulesOnWindowsXpX64) {
    RunCases(std::begin(kXp64Cases), std::end(kXp64Cases));
}

}  // namespace
}  // namespace tavelin::testing
