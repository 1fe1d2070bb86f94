// Startup evaluates the disc's items against the machine: a device created in the registry is
// found through the stand-in libraries and its installed driver compared with the disc's, an
// application's registry location is read, and an item of unknown type is reported whatever the
// switches; a hostile catalogue still comes to the list within seconds.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver/program_driver.h"
#include "driver/test_machines.h"
#include "driver/test_registry.h"

namespace tavelin::testing {
namespace {

std::vector<std::wstring> StartupMessages(const TestDisc& disc, const std::wstring& arguments) {
    RunningProgram program(disc.ProgramPath(), L"setup.exe" + arguments);
    std::vector<std::wstring> messages = program.CollectMessagesUntilSettled();
    EXPECT_NE(program.WaitForMainWindow(), nullptr);
    EXPECT_TRUE(program.Close());
    return messages;
}

TEST(EvaluationAtStartup, ItemsAreJudgedAgainstTheRegistryAndTheDevices) {
    AddInstalledDisplayAdapter();
    SetRegistryString(L"SOFTWARE\\TavelinEvaluationTest\\Power Manager", L"Version", L"1.0");
    TestDisc disc(L"evaluation");
    disc.WriteIni(kEvaluationDisc);

    // Without switches only the unknown item is reported, by its position in the catalogue.
    const auto quiet = StartupMessages(disc, L"");
    ASSERT_EQ(quiet.size(), 1u);
    EXPECT_EQ(quiet[0], L"#2 : Wrong item type, #item : 3");

    // With the version diagnostics, each item's comparison in catalogue order.
    const auto verbose = StartupMessages(disc, L" ShowItemVersionStatus");
    const std::vector<std::wstring> expected = {
        L"Version status : Same",
        L"Version Status : Ini newer",
        L"#2 : Wrong item type, #item : 3",
        L"Version status : Hotfix failed to open VersionPath in 32 and 64 bit registry",
    };
    EXPECT_EQ(verbose, expected);

    // The per-item status shows the adapter found present through the device libraries.
    const std::wstring adapterStatus = L"Item Name : Display Driver\nDevice Exist status : ";
    std::wstring shown;
    for (const std::wstring& message : StartupMessages(disc, L" ShowItemStatus")) {
        if (message.rfind(adapterStatus, 0) == 0) shown = message.substr(adapterStatus.size(), 5);
    }
    EXPECT_EQ(shown, L"True\n");
}

TEST(EvaluationAtStartup, DeviceAbsentFromTheRegistryIsReportedUnderTheErrorSwitch) {
    AddInstalledDisplayAdapter();  // the bus exists, the card reader does not
    TestDisc disc(L"evaluation-absent");
    disc.WriteIni(
        "[Items]\r\n"
        "Item_Quantity=1\r\n"
        "[Item_1]\r\n"
        "Type=DRIVER\r\n"
        "Title_ENG=Card Reader\r\n"
        "HW_ID_Quantity=1\r\n"
        "HW_ID_1=TAVPCI\\VEN_1180&DEV_0832\r\n"
        "Version_1=1.0\r\n");
    const auto messages = StartupMessages(disc, L" ShowErrorMessage");
    // Then the list looks for a stored waiting list, once per start, although the recommended view
    // is empty and the list fills itself a second time for the advanced view.
    const std::vector<std::wstring> expected = {
        L"Not found HW_ID in registry",
        L"Error : Failed to open SOFTWARE\\Tavelin",
    };
    EXPECT_EQ(messages, expected);
}

}  // namespace
}  // namespace tavelin::testing

namespace tavelin::testing {
namespace {

// A 5 KB catalogue of a hundred driver sections, each claiming a hundred thousand hardware ids it
// does not list. The scripted device libraries (tests/doubles) cost what the maker's do, a little
// work for every question, and log each one: the program must come to its list within seconds, not
// hours, having asked for the one id all those records share (the empty text of a missing key)
// once in each library (after the early question the ENUM library gets as soon as it is loaded).
TEST(EvaluationAtStartup, AHostileCatalogueEndsInTheListWithinSeconds) {
    std::string ini = "[Driver_CD]\r\nTitle_ENG=Hostile Disc\r\n[Items]\r\nItem_Quantity=2147483647\r\n";
    for (int n = 1; n <= 100; ++n) {
        ini += "[Item_" + std::to_string(n) + "]\r\nType=DRIVER\r\nTitle_ENG=D\r\nHW_ID_Quantity=99999\r\n";
    }
    ASSERT_LT(ini.size(), 6000u);
    TestDisc disc(L"hostile");
    disc.UseScriptedLibraries("model=Hostile Book\r\n");
    disc.WriteIni(ini);
    const DWORD started = GetTickCount();
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow(20000);
    const DWORD elapsed = GetTickCount() - started;
    ASSERT_NE(window, nullptr) << "no window within 20 s";
    std::printf("hostile catalogue: main window after %lu ms\n", static_cast<unsigned long>(elapsed));
    EXPECT_TRUE(program.Close());

    std::ifstream log(std::filesystem::path(disc.DiscRoot() + L"\\Lib\\QUERIES.LOG"));
    std::vector<std::string> deviceQuestions;
    for (std::string line; std::getline(log, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("DMI", 0) != 0) deviceQuestions.push_back(line);
    }
    // First the early question that starts the library's listing of the devices, then the one id.
    EXPECT_EQ(deviceQuestions, (std::vector<std::string>{"ENUM TAVELIN\\NO-SUCH-DEVICE", "ENUM ", "USB "}));
}

}  // namespace
}  // namespace tavelin::testing
