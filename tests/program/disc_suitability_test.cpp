// Machines the disc is not made for are refused in the disc's own words; the libraries beside the
// program are loaded, and the driver copy they need lives exactly as long as the program.
// The group runs in a 64-bit prefix set to Windows XP x64 (OS key WNT_5.2_XP64).
#include <gtest/gtest.h>

#include "driver/program_driver.h"

namespace tavelin::testing {
namespace {

const char kMachineModel[] = "Tavelin TestBook 14";

// The model comes from the scripted libraries: the real ones read the firmware first, and on most
// real computers (unlike a container) the firmware names a model of its own.
void UseScriptedModel(const TestDisc& disc) {
    disc.UseScriptedLibraries(std::string("model=") + kMachineModel + "\r\n");
}

std::string Narrow(const std::wstring& wide) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text.data(), length, nullptr, nullptr);
    text.resize(text.size() - 1);
    return text;
}

std::string DiscIni(const std::string& driverCdKeys) {
    return "[Driver_CD]\r\n" + driverCdKeys +
           "[OS_Language_Tag]\r\n"
           "0409=ENG\r\n"
           "WNT_5.2_XP64=Windows XP x64\r\n"
           "WNT_5.1_XP=Windows XP\r\n"
           "[Items]\r\n"
           "Item_Quantity=0\r\n";
}

// The group's Windows is 64-bit: the 32-bit program's system folder is SysWOW64 there, and the
// 64-bit program puts its copy in the same place, so that each removes what the other left.
std::wstring DriverCopyPath() {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + L"\\SysWOW64\\DRIVERS\\Quorvelhwio.sys";
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct Outcome {
    std::vector<std::wstring> messages;
    std::vector<bool> messageIcons;  // whether each message showed an icon
    bool windowShown = false;
};

Outcome RunToEnd(const TestDisc& disc, const std::wstring& arguments) {
    RunningProgram program(disc.ProgramPath(), L"setup.exe" + arguments);
    EXPECT_TRUE(program.Started());
    Outcome outcome;
    for (const MessageBoxSeen& box : program.CollectMessageBoxesUntilSettled()) {
        outcome.messages.push_back(box.text);
        outcome.messageIcons.push_back(box.showsIcon);
    }
    if (program.WaitForMainWindow(2000) != nullptr) {
        outcome.windowShown = true;
        program.Close();
    }
    EXPECT_TRUE(program.WaitForExit());
    return outcome;
}

class DiscSuitability : public ::testing::Test {};

TEST_F(DiscSuitability, ModelRefusalIsShownWithoutAnySwitchAndSkipsTheOsCheck) {
    TestDisc disc(L"model-refused");
    UseScriptedModel(disc);
    disc.WriteIni(DiscIni("Model=Other Book 1, Other Book 2\r\nSystem_Type=32BIT\r\n"));

    Outcome plain = RunToEnd(disc, L"");
    EXPECT_FALSE(plain.windowShown);
    ASSERT_EQ(plain.messages.size(), 1u);
    EXPECT_EQ(plain.messages[0], L"This is not a suitable machine for this driver disk");
    EXPECT_TRUE(plain.messageIcons[0]) << "an application message box warns with its icon";

    // With ShowOS the OS display message would follow the OS check; it never comes.
    Outcome withOs = RunToEnd(disc, L" ShowOS ShowModel ShowErrorMessage");
    ASSERT_EQ(withOs.messages.size(), 3u);
    EXPECT_EQ(withOs.messages[0], L"OS Version = \"WNT_5.2_XP64\"");
    EXPECT_EQ(withOs.messages[1], L"Model = \"" + Widen(kMachineModel) + L"\"");
    EXPECT_EQ(withOs.messages[2], L"This is not a suitable machine for this driver disk");
}

TEST_F(DiscSuitability, ModelListedInAnotherLetterCaseIsAllowed) {
    TestDisc disc(L"model-allowed");
    UseScriptedModel(disc);
    disc.WriteIni(DiscIni("Model=Other Book, tavelin testbook 14 \r\nTitle_ENG=Allowed Disc\r\n"));
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), L"Allowed Disc");
    EXPECT_TRUE(FileExists(DriverCopyPath())) << "the driver copy lives while the program runs";
    SaveScreenshot(window, L"suitability-allowed");
    EXPECT_TRUE(program.Close());
    EXPECT_FALSE(FileExists(DriverCopyPath())) << "and is deleted when it ends";
}

TEST_F(DiscSuitability, BitnessRefusalListsTheDiscsSystems) {
    TestDisc disc(L"bitness-refused");
    disc.WriteIni(DiscIni("System_Type=32BIT\r\nOS_VERSION=Windows XP x64, Windows XP\r\n"));
    Outcome plain = RunToEnd(disc, L"");
    EXPECT_FALSE(plain.windowShown);
    ASSERT_EQ(plain.messages.size(), 1u);
    EXPECT_EQ(plain.messages[0], L"Suitable OS for this driver disk :\n32 bit\nWindows XP x64\nWindows XP\n");

    Outcome diagnosed = RunToEnd(disc, L" showerrormessage showos");
    ASSERT_EQ(diagnosed.messages.size(), 4u);
    EXPECT_EQ(diagnosed.messages[0], L"OS Version = \"WNT_5.2_XP64\"");
    EXPECT_EQ(diagnosed.messages[1], L"Wrong system");
    EXPECT_EQ(diagnosed.messages[2], L"OS Display Version = \"Windows XP x64\"");
    EXPECT_EQ(diagnosed.messages[3], L"Suitable OS for this driver disk :\n32 bit\nWindows XP x64\nWindows XP\n");
}

TEST_F(DiscSuitability, OsRefusalComposesTheTextLineByLine) {
    TestDisc disc(L"os-refused");
    disc.WriteIni(DiscIni("System_Type=32BIT, 64BIT\r\nOS_VERSION=Windows XP,Windows Vista\r\n"));
    Outcome diagnosed = RunToEnd(disc, L" ShowErrorMessage ShowOS");
    EXPECT_FALSE(diagnosed.windowShown);
    ASSERT_EQ(diagnosed.messages.size(), 4u);
    EXPECT_EQ(diagnosed.messages[0], L"OS Version = \"WNT_5.2_XP64\"");
    EXPECT_EQ(diagnosed.messages[1], L"Wrong OS");
    // Shown before the refusal is acted on.
    EXPECT_EQ(diagnosed.messages[2], L"OS Display Version = \"Windows XP x64\"");
    EXPECT_EQ(diagnosed.messages[3], L"Suitable OS for this driver disk :\n32, 64 bit\nWindows XP\nWindows Vista\n");
}

TEST_F(DiscSuitability, MissingLibrariesEndSilentlyUnlessErrorsAreShown) {
    TestDisc disc(L"no-libraries", L"setup.exe", TestDisc::Libraries::None);
    disc.WriteIni(DiscIni(""));
    // The driver file is there: it is copied before the libraries fail, and removed again.
    disc.WriteFile(L"Lib\\Quorvelhwio.sys", "driver");
    Outcome plain = RunToEnd(disc, L"");
    EXPECT_FALSE(plain.windowShown);
    EXPECT_TRUE(plain.messages.empty());

    Outcome diagnosed = RunToEnd(disc, L" ShowErrorMessage");
    EXPECT_FALSE(diagnosed.windowShown);
    ASSERT_EQ(diagnosed.messages.size(), 1u);
    EXPECT_EQ(diagnosed.messages[0], L"Load DLL error");
    EXPECT_FALSE(FileExists(DriverCopyPath()));
}

TEST_F(DiscSuitability, ModelLibraryWithoutItsEntryPointCannotReadTheModel) {
    TestDisc disc(L"no-entry-point");
    disc.WriteIni(DiscIni(""));
    // A library that loads but exports nothing.
    disc.CopyIn(PathFromEnvironment("TAVELIN_DISC_DIR") + L"\\Lib\\0407.DLL", L"Lib\\QVCDDMI.DLL");

    Outcome plain = RunToEnd(disc, L"");
    EXPECT_FALSE(plain.windowShown);
    ASSERT_EQ(plain.messages.size(), 1u);
    EXPECT_EQ(plain.messages[0], L"GetDMIInfo: QVCDMI.DLL Function is invalid");

    Outcome diagnosed = RunToEnd(disc, L" ShowErrorMessage");
    ASSERT_EQ(diagnosed.messages.size(), 2u);
    EXPECT_EQ(diagnosed.messages[1], L"Read BIOS error");
    EXPECT_FALSE(FileExists(DriverCopyPath()));
}

TEST_F(DiscSuitability, FailedModelQueryEndsStartupAndSaysSoOnlyWithTheSwitch) {
    TestDisc disc(L"model-query-fails");
    disc.WriteIni(DiscIni(""));
    disc.UseScriptedLibraries("model=Scripted Book\r\nfail=6\r\n");

    Outcome plain = RunToEnd(disc, L"");
    EXPECT_FALSE(plain.windowShown);
    EXPECT_TRUE(plain.messages.empty());

    Outcome diagnosed = RunToEnd(disc, L" ShowErrorMessage ShowModel");
    EXPECT_FALSE(diagnosed.windowShown);
    ASSERT_EQ(diagnosed.messages.size(), 1u);
    EXPECT_EQ(diagnosed.messages[0], L"Read BIOS error");
    EXPECT_FALSE(FileExists(DriverCopyPath()));

    // The same libraries answering every request give the scripted model.
    disc.WriteFile(L"Lib\\DOUBLES.TXT", "model=Scripted <Book> 'X'\r\n");
    Outcome answered = RunToEnd(disc, L" ShowModel");
    EXPECT_TRUE(answered.windowShown);
    ASSERT_EQ(answered.messages.size(), 1u);
    EXPECT_EQ(answered.messages[0], L"Model = \"Scripted Book X\"");
}

// The title's rules are a table of the core tests; one start shows the window takes the title.
TEST_F(DiscSuitability, CaptionIsTheDiscTitle) {
    TestDisc disc(L"title-english");
    disc.WriteIni(DiscIni("Title_ENG=English Title\r\nTitle_JPN=Japanese Title\r\n"));
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), L"English Title");
    EXPECT_TRUE(program.Close());
}

TEST(DiscSuitabilityJapanese, TitleAndTextsFollowTheJapaneseUserInterface) {
    TestDisc disc(L"japanese");
    disc.CopyIn(PathFromEnvironment("TAVELIN_DISC_DIR") + L"\\Lib\\0411.DLL", L"Lib\\0411.DLL");
    disc.WriteIni(
        "[Driver_CD]\r\n"
        "Title_ENG=English Title\r\n"
        "Title_JPN=\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x83\x87\xE3\x82\xA3\xE3\x82\xB9\xE3\x82\xAF\r\n"
        "[OS_Language_Tag]\r\n"
        "0409=ENG\r\n"
        "0411=JPN\r\n"
        "[Items]\r\n"
        "Item_Quantity=0\r\n");
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Narrow(WindowText(window)), "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x83\x87\xE3\x82\xA3\xE3\x82\xB9\xE3\x82\xAF");
    // The Start button's text comes from the Japanese library, not the built-in English one.
    EXPECT_NE(ReadControl(window, 1008).text, L"Start");
    EXPECT_FALSE(ReadControl(window, 1008).text.empty());
    SaveScreenshot(window, L"suitability-japanese");
    EXPECT_TRUE(program.Close());
}

}  // namespace
}  // namespace tavelin::testing
