// The program's startup as a user and another program see it: one copy at a time, the diagnostic
// switches, the disc found beside the program, the caption before the disc's title is applied, the
// About box of the system menu.
#include <gtest/gtest.h>

#include "driver/program_driver.h"

namespace tavelin::testing {
namespace {

const char kPlainDisc[] =
    "[Driver_CD]\r\n"
    "Title_ENG=Spine Test Disc\r\n"
    "[Items]\r\n"
    "Item_Quantity=0\r\n";

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

TEST(StartupSpine, SecondCopyEndsAtOnceWithoutWindow) {
    TestDisc disc(L"second-copy");
    disc.WriteIni(kPlainDisc);
    RunningProgram first(disc.ProgramPath(), L"setup.exe");
    ASSERT_TRUE(first.Started());
    HWND window = first.WaitForMainWindow();
    ASSERT_NE(window, nullptr) << "the first copy shows its window";
    SaveScreenshot(window, L"spine-first-copy");

    RunningProgram second(disc.ProgramPath(), L"setup.exe");
    ASSERT_TRUE(second.Started());
    EXPECT_TRUE(second.EndsWithoutShowingAnyWindow()) << "the second copy ends by itself, silently";

    EXPECT_NE(first.FindMainWindow(), nullptr) << "the first copy is still running";
    EXPECT_TRUE(first.Close());

    // With the first copy gone, the name is free again.
    RunningProgram third(disc.ProgramPath(), L"setup.exe");
    EXPECT_NE(third.WaitForMainWindow(), nullptr);
    EXPECT_TRUE(third.Close());
}

// The switches' rules are a table of the core tests; one start shows the program reads its whole
// command line, argument 0 included, without regard to letter case.
TEST(StartupSpine, SwitchesAreReadFromTheWholeCommandLine) {
    TestDisc disc(L"switches");
    disc.WriteIni(kPlainDisc);
    RunningProgram program(disc.ProgramPath(), L"sHoWoS");
    ASSERT_TRUE(program.Started());
    const auto messages = program.CollectMessagesUntilSettled();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(StartsWith(messages[0], L"OS Version = \""));
    EXPECT_TRUE(StartsWith(messages[1], L"OS Display Version = \""));
    EXPECT_NE(program.WaitForMainWindow(), nullptr);
    EXPECT_TRUE(program.Close());
}

TEST(StartupSpine, CaptionIsTheInitialOneUntilTheDiscTitleIsApplied) {
    TestDisc disc(L"caption");
    disc.WriteIni(kPlainDisc);
    RunningProgram program(disc.ProgramPath(), L"setup.exe ShowOS");
    HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    // The OS message comes before the title step: the window exists, hidden, with its first caption.
    HWND window = program.FindMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), L"Tave-LIN");
    EXPECT_FALSE(IsWindowVisible(window));
    program.CollectMessagesUntilSettled();
    EXPECT_TRUE(program.Close());
}

TEST(StartupSpine, DiscIsTheFolderOfTheProgramEvenInASubFolder) {
    // A disc whose program sits two folders down: its Lib is beside the program, not at the top.
    TestDisc disc(L"sub-folder", L"Tools\\Disc\\setup.exe");
    disc.WriteIni("[Driver_CD]\r\nTitle_ENG=Disc Beside The Program\r\n");
    CreateDirectoryW((disc.Folder() + L"\\Lib").c_str(), nullptr);
    const std::wstring topIni = disc.Folder() + L"\\Lib\\TAVELIN.INI";
    HANDLE file = CreateFileW(topIni.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const char top[] = "[Driver_CD]\r\nTitle_ENG=Wrong Disc\r\n";
    DWORD written = 0;
    WriteFile(file, top, sizeof(top) - 1, &written, nullptr);
    CloseHandle(file);

    // Started from another current folder, as a shortcut or autorun would.
    RunningProgram program(disc.ProgramPath(), L"setup.exe", L"C:\\");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), L"Disc Beside The Program");
    EXPECT_TRUE(program.Close());
}

TEST(StartupSpine, SystemMenuCommandSixteenOpensTheAboutBox) {
    TestDisc disc(L"about");
    disc.WriteIni(kPlainDisc);
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);

    // Only the command's low four bits are free: a command that differs above them is not About.
    PostMessageW(window, WM_SYSCOMMAND, 0x10010, 0);
    EXPECT_EQ(program.WaitForMessageBox(1500), nullptr) << "another system command opened a dialog";

    PostMessageW(window, WM_SYSCOMMAND, 0x13, 0);
    HWND about = program.WaitForMessageBox();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(WindowText(about), L"About");
    for (int i = 0; i < 50 && WindowText(GetDlgItem(about, 1018)).empty(); ++i) Sleep(20);
    EXPECT_EQ(WindowText(GetDlgItem(about, 1018)), L"V1.0.0.0");
    SaveScreenshot(about, L"spine-about");
    AnswerMessageBox(about, IDOK);
    for (int i = 0; i < 100 && IsWindow(about); ++i) Sleep(50);
    EXPECT_FALSE(IsWindow(about) && IsWindowVisible(about)) << "OK closes the About box";
    EXPECT_TRUE(IsWindowEnabled(window)) << "the main window takes input again";
    EXPECT_TRUE(program.Close());
}

TEST(StartupSpine, DialogCarriesItsControlsAndButtonTexts) {
    TestDisc disc(L"controls");
    disc.WriteIni(kPlainDisc);
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    struct Expected {
        int id;
        const wchar_t* text;
        bool enabled;
    };
    // A disc without items: the list has switched itself to the advanced view, which has nothing
    // to install either.
    const Expected buttons[] = {
        {1008, L"Start", false},         {1009, L"Recommend", false}, {1015, L"Explorer", true},
        {1016, L"File List", true},      {1017, L"Tech. Support", true},
    };
    for (const auto& b : buttons) {
        const ControlState state = ReadControl(window, b.id);
        EXPECT_TRUE(state.exists) << b.id;
        EXPECT_EQ(state.text, b.text) << b.id;
        EXPECT_EQ(state.enabled, b.enabled) << b.id;
    }
    EXPECT_FALSE(ReadControl(window, 1005).visible) << "the Default button is hidden";
    EXPECT_TRUE(ReadControl(window, 1007).exists);
    EXPECT_EQ(ClassName(GetDlgItem(window, 1007)), L"SysListView32");
    EXPECT_TRUE(ReadControl(window, 1010).exists);
    EXPECT_EQ(ReadControl(window, 1010).text, L"");
    SaveScreenshot(window, L"spine-dialog");
    EXPECT_TRUE(program.Close());
}

}  // namespace
}  // namespace tavelin::testing
