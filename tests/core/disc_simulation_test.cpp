// The simulation judges a disc on a machine described by a profile and a registry export: the
// evaluation's test disc on its test machine, written as files, gives every item the decision the
// whole-evaluation test works out by hand for that machine.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "authoring/reg_file.h"
#include "authoring/simulation.h"
#include "narrow_text.h"

namespace tavelin {
namespace {

namespace fs = std::filesystem;

struct ExpectedRow {
    std::wstring status;
    bool recommendView;
    bool advanceView;
    bool checked;
    std::wstring reason;
};

TEST(DiscSimulation, TheWholeDiscOnItsMachineGivesTheHandWorkedDecisions) {
    const SimulationResult result = SimulateDisc(fs::path(TAVELIN_TEST_DATA) / "discs" / "whole",
                                                 fs::path(TAVELIN_TEST_DATA) / "profiles" / "whole" / "machine.ini");
    ASSERT_EQ(result.error, L"");
    ASSERT_EQ(result.refusal, L"");
    EXPECT_EQ(result.caption, L"Driver disc");
    const std::map<int, ExpectedRow> expected = {
        {1, {L"installed", false, true, false, L"Greyed: installed, same version as on the disc"}},
        {2, {L"offered", true, true, true,
             L"Offered: the installed driver 6.0.1.4900 (2008-01-01) is older than the disc's 6.0.1.5000 (2008-03-03)"}},
        {3, {L"not offered", false, false, false, L"Not offered: meant for the models TV-2000"}},
        {4, {L"not offered", false, false, false, L"Not offered: meant for 32BIT Windows"}},
        {5, {L"offered", true, true, true, L"Offered: the installed driver 2.0 came with Windows; the disc's 2.0 replaces it"}},
        {6, {L"not offered", false, false, false, L"Not offered: meant for Windows XP, Windows 7, not for Vista Home Premium"}},
        {7, {L"not offered", false, false, false, L"Not offered: meant for the languages JPN, not for ENG"}},
        {8, {L"not offered", false, false, false, L"Not offered: hidden by the disc's rule Invisible_If_Item_Exist (Item_1)"}},
        {9, {L"not offered", false, false, false, L"Not offered: the disc gives it a type this program does not know"}},
        {10, {L"installed", false, true, false,
              L"Greyed: installed (SOFTWARE\\Maker\\Updater is in the registry)\n"
              L"Shown by the disc's rule Visible_If_Item_Exist (Item_8 AND Item_11)"}},
        {11, {L"not offered", false, false, false, L"Not offered: it has no title in this language or in English"}},
        {12, {L"not offered", false, false, false, L"Not offered: it has no title in this language or in English"}},
    };
    ASSERT_EQ(result.rows.size(), expected.size());
    for (const SimulatedRow& row : result.rows) {
        const ExpectedRow& e = expected.at(row.itemNo);
        EXPECT_EQ(row.status, e.status) << row.itemNo;
        EXPECT_EQ(row.recommendView, e.recommendView) << row.itemNo;
        EXPECT_EQ(row.advanceView, e.advanceView) << row.itemNo;
        EXPECT_EQ(row.checked, e.checked) << row.itemNo;
        EXPECT_EQ(row.reason, e.reason) << row.itemNo;
    }
}

TEST(DiscSimulation, AMachineTheDiscRefusesGetsTheRefusal) {
    const fs::path profile = fs::temp_directory_path() / "tavelin_other_model.ini";
    {
        std::FILE* file = std::fopen(profile.string().c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs("[Machine]\nModel=TV-9999\nOS_Key=WNT_5.1_XP\nLanguage=0409\n", file);
        std::fclose(file);
    }
    const SimulationResult result = SimulateDisc(fs::path(TAVELIN_TEST_DATA) / "discs" / "whole", profile);
    fs::remove(profile);
    EXPECT_EQ(result.refusal, L"This is not a suitable machine for this driver disk");
    EXPECT_TRUE(result.rows.empty());
}

// Registry exports as the system writes them: the 32-bit view of 64-bit Windows below
// Wow6432Node, the rest of SOFTWARE in the 64-bit view, keys outside SOFTWARE in both.
TEST(RegFile, KeysLandInTheViewsTheProgramReads) {
    const std::string text =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Maker\\Tool]\r\n\"Version\"=\"1.0\"\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Maker\\Wide]\r\n\"Version\"=\"2.0\"\r\n\"Count\"=dword:00000002\r\n"
        "\"Path\"=\"C:\\\\Program Files\\\\\\\"Q\\\"\"\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\Shared]\r\n@=\"default\"\r\n"
        "[HKEY_CURRENT_USER\\Software\\Ignored]\r\n\"Version\"=\"9\"\r\n";
    MemoryRegistry registry;
    ASSERT_TRUE(LoadRegFile(text, true, registry).ok);
    auto read = [&](const std::wstring& path, const std::wstring& name, RegistryView view) -> std::wstring {
        auto key = registry.OpenKey(path, view);
        if (!key) return L"(no key)";
        return key->QueryStringValue(name, 260).value_or(L"(no value)");
    };
    EXPECT_EQ(read(L"SOFTWARE\\Maker\\Tool", L"Version", RegistryView::View32), L"1.0");
    EXPECT_EQ(read(L"SOFTWARE\\Maker\\Tool", L"Version", RegistryView::View64), L"(no key)");
    EXPECT_EQ(read(L"SOFTWARE\\Maker\\Wide", L"Version", RegistryView::View64), L"2.0");
    EXPECT_EQ(read(L"SOFTWARE\\Maker\\Wide", L"Version", RegistryView::View32), L"(no key)");
    EXPECT_EQ(read(L"SOFTWARE\\Maker\\Wide", L"Count", RegistryView::View64), L"(no value)");
    EXPECT_EQ(read(L"SOFTWARE\\Maker\\Wide", L"Path", RegistryView::View64), L"C:\\Program Files\\\"Q\"");
    EXPECT_EQ(read(L"SYSTEM\\Shared", L"", RegistryView::View32), L"default");
    EXPECT_EQ(read(L"SYSTEM\\Shared", L"", RegistryView::View64), L"default");
    EXPECT_EQ(read(L"Software\\Ignored", L"Version", RegistryView::View32), L"(no key)");

    MemoryRegistry none;
    EXPECT_FALSE(LoadRegFile("[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n", false, none).ok) << "no header line";
}

}  // namespace
}  // namespace tavelin
