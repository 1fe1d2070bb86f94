// The item list as the user sees and works it: the recommended and the advanced view, the default
// check marks, the dependences between check boxes, the description line, the per-item status
// boxes, selection by keyboard, the dialog's private refresh and dependence messages, and Start
// without anything checked or without confirmation.
#include <gtest/gtest.h>

#include "driver/list_reader.h"
#include "driver/program_dialogs.h"
#include "driver/program_driver.h"
#include "driver/recorded_starts.h"
#include "driver/test_machines.h"
#include "driver/test_registry.h"

namespace tavelin::testing {
namespace {

class ItemList : public ::testing::Test {
protected:
    void SetUp() override {
        AddListMachine();
        m_disc.WriteIni(kListDisc);
    }

    HWND List(HWND window) const { return GetDlgItem(window, 1007); }
    std::wstring Rows(HWND window) const { return DescribeRows(ReadListRows(List(window))); }

    bool RowsBecome(HWND window, const std::wstring& expected) const { return ListRowsBecome(List(window), expected); }

    TestDisc m_disc{L"item-list"};
};

TEST_F(ItemList, RecommendedAndAdvancedViews) {
    RunningProgram program(m_disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);

    const auto rows = ReadListRows(List(window));
    EXPECT_EQ(DescribeRows(rows), L"Power Manager[x] | USB Hotfix[x] | Power Widget[x]");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].cells[2], L"Recommend Application");
    EXPECT_EQ(rows[0].cells[3], L"2.0");
    EXPECT_EQ(rows[1].cells[2], L"HotFix");
    EXPECT_EQ(rows[2].cells[2], L"Optional Application");
    EXPECT_EQ(ReadControl(window, 1009).text, L"Advance");
    SaveScreenshot(window, L"list-recommended");

    PostMessageW(window, WM_COMMAND, MAKEWPARAM(1009, BN_CLICKED), 0);
    EXPECT_TRUE(RowsBecome(window, L"Power Manager[x] | Photo Viewer[ ] | USB Hotfix[x] | Power Widget[x]"))
        << "advanced view: " << Rows(window);
    const auto advanced = ReadListRows(List(window));
    ASSERT_EQ(advanced.size(), 4u);
    EXPECT_EQ(advanced[1].cells[3], L"Installed");
    EXPECT_EQ(ReadControl(window, 1009).text, L"Recommend");
    SaveScreenshot(window, L"list-advanced");

    PostMessageW(window, WM_COMMAND, MAKEWPARAM(1009, BN_CLICKED), 0);
    EXPECT_TRUE(RowsBecome(window, L"Power Manager[x] | USB Hotfix[x] | Power Widget[x]"));
    EXPECT_EQ(ReadControl(window, 1009).text, L"Advance");
    EXPECT_TRUE(program.Close());
}

TEST_F(ItemList, DependencesFollowTheCheckBoxesAndTheDescriptionTheSelection) {
    RunningProgram program(m_disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);

    // Clearing the power manager clears the widget that needs it.
    ClickListCell(List(window), 0, 0);
    EXPECT_TRUE(RowsBecome(window, L"Power Manager[ ] | USB Hotfix[x] | Power Widget[ ]"))
        << Rows(window);
    EXPECT_EQ(ReadControl(window, 1010).text, L"Battery and power profiles.");

    // Checking the widget checks the power manager again.
    ClickListCell(List(window), 2, 0);
    EXPECT_TRUE(RowsBecome(window, L"Power Manager[x] | USB Hotfix[x] | Power Widget[x]"))
        << Rows(window);
    EXPECT_EQ(ReadControl(window, 1010).text, L"Needs the power manager.");

    // Selecting the hotfix, which has no description, shows an empty line.
    ClickListCell(List(window), 1, 1);
    for (int i = 0; i < 50 && !ReadControl(window, 1010).text.empty(); ++i) Sleep(50);
    EXPECT_EQ(ReadControl(window, 1010).text, L"");
    EXPECT_TRUE(program.Close());
}

TEST_F(ItemList, CheckingAnItemChecksWhatItNeedsWhenThatIsInstalledButOlder) {
    // The power manager is installed at 1.0, older than the disc's 2.0: it is offered, and checking
    // the widget that needs it checks it again like a missing one.
    SetRegistryString(L"SOFTWARE\\TavelinListTest\\Power", L"Version", L"1.0");
    RunningProgram program(m_disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Rows(window), L"Power Manager[x] | USB Hotfix[x] | Power Widget[x]");

    ClickListCell(List(window), 0, 0);
    EXPECT_TRUE(RowsBecome(window, L"Power Manager[ ] | USB Hotfix[x] | Power Widget[ ]")) << Rows(window);
    ClickListCell(List(window), 2, 0);
    EXPECT_TRUE(RowsBecome(window, L"Power Manager[x] | USB Hotfix[x] | Power Widget[x]")) << Rows(window);
    EXPECT_TRUE(program.Close());
    DeleteRegistryValue(L"SOFTWARE\\TavelinListTest\\Power", L"Version");
}

TEST_F(ItemList, KeyboardSelectionShowsTheDescriptionWithoutApplyingDependences) {
    RunningProgram program(m_disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    HWND list = List(window);

    // The power manager cleared while the widget that needs it stays checked: with the hotfix
    // selected too, the control-click that clears the manager's box also drops its row from the
    // selection, and the dependences follow the first selected row, the hotfix.
    ClickListCell(list, 0, 1);
    ClickListCell(list, 1, 1, MK_CONTROL);
    ClickListCell(list, 0, 0, MK_CONTROL);
    ASSERT_TRUE(RowsBecome(window, L"Power Manager[ ] | USB Hotfix[x] | Power Widget[x]"))
        << Rows(window);

    // The keyboard selects the widget: its description shows, the manager stays cleared.
    PostMessageW(list, WM_KEYDOWN, VK_END, 0);
    PostMessageW(list, WM_KEYUP, VK_END, 0);
    for (int i = 0; i < 100 && ReadControl(window, 1010).text != L"Needs the power manager."; ++i) Sleep(50);
    EXPECT_EQ(ReadControl(window, 1010).text, L"Needs the power manager.");
    const auto rows = ReadListRows(list);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[2].selected && !rows[0].selected && !rows[1].selected);
    EXPECT_EQ(DescribeRows(rows), L"Power Manager[ ] | USB Hotfix[x] | Power Widget[x]");

    // Code 1026 of the dialog's private message applies them for the selected row.
    PostMessageW(window, WM_USER + 1, 1026, 0);
    EXPECT_TRUE(RowsBecome(window, L"Power Manager[x] | USB Hotfix[x] | Power Widget[x]"))
        << Rows(window);
    EXPECT_TRUE(program.Close());
}

TEST_F(ItemList, PrivateMessageRefreshesTheListAndReportsUnknownCodes) {
    RunningProgram program(m_disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    ClickListCell(List(window), 1, 0);
    ASSERT_TRUE(RowsBecome(window, L"Power Manager[x] | USB Hotfix[ ] | Power Widget[x]"));

    // Codes outside 1026 to 1029 are reported and change nothing.
    for (const WPARAM code : {WPARAM{0}, WPARAM{1025}, WPARAM{1030}, WPARAM{0x10402}}) {
        PostMessageW(window, WM_USER + 1, code, 0);
        HWND box = program.WaitForMessageBox(10000);
        ASSERT_NE(box, nullptr) << "code " << code;
        EXPECT_EQ(MessageBoxText(box), L"#03 Unknown UM_INTERNAL--wParam in UM_INTERNAL in VelmoraDlg")
            << "code " << code;
        AnswerMessageBox(box, IDOK);
        for (int i = 0; i < 100 && IsWindow(box) && IsWindowVisible(box); ++i) Sleep(50);
        EXPECT_EQ(Rows(window), L"Power Manager[x] | USB Hotfix[ ] | Power Widget[x]") << "code " << code;
    }

    // Code 1027 fills the list again with the view's default check marks; the answer is 1.
    EXPECT_EQ(SendMessageW(window, WM_USER + 1, 1027, 0), 1);
    EXPECT_EQ(Rows(window), L"Power Manager[x] | USB Hotfix[x] | Power Widget[x]");
    EXPECT_TRUE(program.Close());
}

TEST_F(ItemList, ItemStatusBoxesComeForEveryItemBeforeTheList) {
    RunningProgram program(m_disc.ProgramPath(), L"setup.exe ShowItemStatus");
    const auto messages = program.CollectMessagesUntilSettled();
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages[1],
              L"Item Name : Photo Viewer\n"
              L"Device Exist status : True\n"
              L"Appropriate OS_Version status : True\n"
              L"Appropriate Language_ID status : True\n"
              L"Ini Newer Version status : False\n");
    EXPECT_NE(messages[3].find(L"Appropriate OS_Version status : False"), std::wstring::npos);
    EXPECT_NE(program.WaitForMainWindow(), nullptr);
    EXPECT_TRUE(program.Close());
}

TEST_F(ItemList, StartAsksFirstAndNeedsACheckedRow) {
    RunningProgram program(m_disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);

    // Declining the question leaves everything as it was.
    ASSERT_EQ(ClickStartAndAnswer(program, window, IDNO), L"Install now?");
    EXPECT_TRUE(ReadControl(window, 1008).enabled);
    EXPECT_EQ(Rows(window), L"Power Manager[x] | USB Hotfix[x] | Power Widget[x]");

    // With every box cleared, Start asks for a choice instead.
    ClickListCell(List(window), 1, 0);
    ClickListCell(List(window), 0, 0);  // clears the widget too
    ASSERT_TRUE(RowsBecome(window, L"Power Manager[ ] | USB Hotfix[ ] | Power Widget[ ]"));
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(1008, BN_CLICKED), 0);
    HWND choose = program.WaitForMessageBox();
    ASSERT_NE(choose, nullptr);
    EXPECT_EQ(MessageBoxText(choose), L"Please choose one of item to install");
    AnswerMessageBox(choose, IDOK);
    for (int i = 0; i < 100 && IsWindow(choose) && IsWindowVisible(choose); ++i) Sleep(50);
    EXPECT_TRUE(ReadControl(window, 1008).enabled);
    EXPECT_TRUE(program.Close());
}

// The three buttons start the shell on the disc and the editor on its two texts, with the disc path
// unquoted, as it is; always Windows' own programs (recorders put where Windows keeps them), never a
// copy planted beside setup.exe, which is also its current directory then.
TEST_F(ItemList, ShellAndEditorButtonsOpenTheDiscAndItsTexts) {
    const std::wstring shell = WindowsFolder() + L"\\explorer.exe";
    const std::wstring editor = SystemFolder() + L"\\notepad.exe";
    const std::wstring editorAsRun = SystemFolderAsRunFrom() + L"\\notepad.exe";
    RunningProgram program(m_disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    // Once the desktop is up: the prefix's own shell program runs it.
    ASSERT_TRUE(PlaceRecorderAt(shell));
    ASSERT_TRUE(PlaceRecorderAt(editor));
    PlaceRecorderAs(m_disc, L"Explorer.exe");
    PlaceRecorderAs(m_disc, L"NOTEPAD.EXE");
    const std::wstring root = m_disc.DiscRoot();
    const struct {
        int id;
        const wchar_t* program;
        std::wstring commandLine;
        std::wstring path;
    } buttons[] = {
        {1015, L"Explorer", L"Explorer " + root, shell},
        {1016, L"NOTEPAD", L"NOTEPAD.EXE " + root + L"\\FILELIST.TXT", editorAsRun},
        {1017, L"NOTEPAD", L"NOTEPAD.EXE " + root + L"\\TECHSUPP.TXT", editorAsRun},
    };
    for (const auto& button : buttons) {
        ForgetRecordedStart(button.program);
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(button.id, BN_CLICKED), 0);
        EXPECT_EQ(WaitForRecordedStart(button.program), button.commandLine) << button.id;
        const std::wstring started = RecordedStartPath(button.program);
        EXPECT_TRUE(SamePath(started, button.path)) << button.id << ": started " << ::testing::PrintToString(started);
    }
    EXPECT_TRUE(ReadControl(window, 1008).enabled) << "the dialog goes on as before";
    EXPECT_TRUE(program.Close());
}

}  // namespace
}  // namespace tavelin::testing
