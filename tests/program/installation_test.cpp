// Installation runs end to end: the checked items installed by the demo's sample installer, the
// status of each row, the marker of installed applications, then the reboot question, the
// re-scan, or the restart record and the run resumed by the next start.
#include <gtest/gtest.h>

#include "driver/list_reader.h"
#include "driver/program_dialogs.h"
#include "driver/program_driver.h"
#include "driver/sample_disc.h"
#include "driver/recorded_starts.h"
#include "driver/test_registry.h"

namespace tavelin::testing {
namespace {

const char kGuid[] = "{3C0B4E1A-7E52-4F0D-9B8A-5D2E61C0A7F4}";

// An application item installed by the sample installer, which writes the version value that
// detection reads. Each test has keys of its own (`set`): the tests share one machine.
// `installerSwitches` go to the sample installer before its action ("/exit 5").
std::string Application(const std::string& set, int number, const std::string& title, const std::string& extra = "",
                        const std::string& installerSwitches = "") {
    const std::string n = set + std::to_string(number);
    return "[Item_" + std::to_string(number) + "]\r\n"
           "Type=OPTIONAL_APPLICATION\r\n"
           "Title_ENG=" + title + "\r\n"
           "Description_ENG=Installs " + title + ".\r\n"
           "Version=2.0\r\n"
           "Version_Path=SOFTWARE\\TavelinRunTest\\App" + n + "\\Version\r\n"
           "Slient_Install_Cmd=\\Apps\\Power\\Setup.exe%%/delay 200 " + installerSwitches +
           (installerSwitches.empty() ? "" : " ") + "/set SOFTWARE\\TavelinRunTest\\App" + n +
           " Version 2.0\r\n" + extra;
}

class Installation : public ::testing::Test {
protected:
    TestDisc MakeDisc(const std::wstring& name, const std::string& items, int quantity) {
        return MakeSampleDisc(name, "Run Disc", 1, items, quantity);
    }
};

TEST_F(Installation, CheckedItemsAreInstalledThenTheRebootIsOffered) {
    CreateRegistryKey(std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + Widen(kGuid));
    const TestDisc disc = MakeDisc(
        L"run-complete",
        Application("Complete", 1, "Power Manager", std::string("GUID=") + kGuid + "\r\n") +
            "[Item_2]\r\nType=HOTFIX\r\nTitle_ENG=Broken Hotfix\r\nVersion_Path=SOFTWARE\\TavelinRunTest\\Hotfix\r\n"
            "Slient_Install_Cmd=\\Hotfix\\Missing.exe\r\n" +
            Application("Complete", 3, "Photo Viewer"),
        3);
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    ClickListCell(GetDlgItem(window, 1007), 2, 0);  // the photo viewer stays out

    ASSERT_EQ(ClickStartAndAnswer(program, window), L"Install now?");

    // After the run, the disc's pause (one second here) before anything is asked.
    HWND pleaseWait = WaitForPleaseWait(program);
    ASSERT_NE(pleaseWait, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(pleaseWait, 1019)).rfind(L"Please wait.", 0), 0u);
    HWND reboot = WaitForQuestion(program);
    ASSERT_NE(reboot, nullptr);
    EXPECT_FALSE(IsWindow(pleaseWait) && IsWindowVisible(pleaseWait)) << "the pause is over before the question";
    EXPECT_EQ(Statuses(window), L"Power Manager:Done | Broken Hotfix:Failed | Photo Viewer:");
    SaveScreenshot(window, L"run-complete");
    EXPECT_EQ(MessageBoxText(reboot), L"Reboot?");
    EXPECT_FALSE(ReadControl(window, 1008).enabled) << "Start stays disabled after a run";
    Answer(reboot, IDNO);
    EXPECT_TRUE(program.WaitForExit()) << "No ends the program";

    EXPECT_EQ(ReadRegistryString(L"SOFTWARE\\TavelinRunTest\\AppComplete1", L"Version"), L"2.0");
    EXPECT_EQ(ReadRegistryString(L"SOFTWARE\\TavelinRunTest\\AppComplete3", L"Version"), L"<no key>");
    DWORD type = 0;
    EXPECT_EQ(ReadRegistryString(std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + Widen(kGuid),
                         L"alu7501e157-4b4a-4850-b6ea-3bea55826ba9", &type),
              L"2.0");
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
}

TEST_F(Installation, AnItemAskingForARescanRebuildsTheList) {
    const TestDisc disc = MakeDisc(L"run-rescan", Application("Rescan", 1, "Power Manager", "Rescan=1\r\n"), 1);
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(ClickStartAndAnswer(program, window), L"Install now?");

    // No reboot question: the list comes back with the item installed, greyed in the advanced view.
    std::wstring rows;
    for (int i = 0; i < 600; ++i) {
        rows = Statuses(window);
        if (rows == L"Power Manager:Installed") break;
        ASSERT_EQ(WaitForQuestion(program, 0), nullptr) << "a message box instead of the re-scan";
        Sleep(100);
    }
    EXPECT_EQ(rows, L"Power Manager:Installed");
    EXPECT_TRUE(ReadControl(window, 1008).enabled);
    EXPECT_TRUE(ReadControl(window, 1009).enabled);
    EXPECT_EQ(ReadControl(window, 1009).text, L"Recommend");
    EXPECT_TRUE(program.Close());
}

TEST_F(Installation, ARestartStoresTheRestAndTheNextStartResumesIt) {
    const TestDisc disc = MakeDisc(L"run-restart",
                                   Application("Restart", 1, "First", "Restart=1\r\n") +
                                       Application("Restart", 2, "Second") + Application("Restart", 3, "Third") +
                                       Application("Restart", 4, "Fourth"),
                                   4);
    // The restart command reaches a recorder put where Windows keeps its own; copies planted beside
    // the program and in the installer's folder (the current directory then) must never run.
    const std::wstring restartCommand = SystemFolder() + L"\\shutdown.exe";
    ASSERT_TRUE(PlaceRecorderAt(restartCommand));
    PlaceRecorderAs(disc, L"shutdown.exe");
    PlaceRecorderAs(disc, L"Apps\\Power\\shutdown.exe");
    {
        RunningProgram program(disc.ProgramPath(), L"setup.exe");
        HWND window = program.WaitForMainWindow();
        ASSERT_NE(window, nullptr);
        ClickListCell(GetDlgItem(window, 1007), 2, 0);  // the third stays out
        ASSERT_EQ(ClickStartAndAnswer(program, window), L"Install now?");

        // The restart record is written once the first item is done, then the user is asked: a
        // restart closes whatever else is open.
        HWND restart = WaitForQuestion(program);
        ASSERT_NE(restart, nullptr);
        EXPECT_EQ(MessageBoxText(restart), L"Windows must restart to finish installing. Restart now?");
        EXPECT_EQ(ReadRegistryString(L"SOFTWARE\\Tavelin", L"InstallWaitingList"), L"2@4");
        EXPECT_EQ(ReadRegistryString(L"SOFTWARE\\Tavelin", L"FullPathName"), disc.ProgramPath());
        const std::wstring runOnce =
            ReadRegistryString(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce", L"Tavelin");
        EXPECT_NE(runOnce.find(L"\\Tavelin\\ReInst.exe"), std::wstring::npos) << runOnce.size();
        EXPECT_EQ(WaitForRecordedStart(L"shutdown", 0), L"") << "nothing restarts before the answer";
        Answer(restart, IDYES);
        EXPECT_EQ(WaitForRecordedStart(L"shutdown"), L"shutdown -r -t 15");
        EXPECT_TRUE(SamePath(RecordedStartPath(L"shutdown"), SystemFolderAsRunFrom() + L"\\shutdown.exe"))
            << ::testing::PrintToString(RecordedStartPath(L"shutdown"));
        EXPECT_FALSE(program.HasEnded());
        EXPECT_EQ(ReadRegistryString(L"SOFTWARE\\TavelinRunTest\\AppRestart1", L"Version"), L"2.0");
        EXPECT_EQ(ReadRegistryString(L"SOFTWARE\\TavelinRunTest\\AppRestart2", L"Version"), L"<no key>");
        // Windows would now restart; here the program is simply ended.
    }

    // Started again after the restart: exactly the stored items are checked and installed at once.
    ForgetPendingRestart();
    RunningProgram resumed(disc.ProgramPath(), L"setup.exe");
    HWND reboot = WaitForQuestion(resumed);
    ASSERT_NE(reboot, nullptr);
    EXPECT_EQ(MessageBoxText(reboot), L"Reboot?") << "no Install now? question when resuming";
    HWND window = resumed.FindMainWindow();
    EXPECT_EQ(Statuses(window), L"Second:Done | Third: | Fourth:Done");
    Answer(reboot, IDNO);
    EXPECT_TRUE(resumed.WaitForExit());
    EXPECT_FALSE(RegistryKeyExists(L"SOFTWARE\\Tavelin")) << "the record is read once and deleted";
    EXPECT_EQ(ReadRegistryString(L"SOFTWARE\\TavelinRunTest\\AppRestart2", L"Version"), L"2.0");
    EXPECT_EQ(ReadRegistryString(L"SOFTWARE\\TavelinRunTest\\AppRestart3", L"Version"), L"<no key>");
    EXPECT_EQ(ReadRegistryString(L"SOFTWARE\\TavelinRunTest\\AppRestart4", L"Version"), L"2.0");
}

// An installer's exit code counts only where the disc says what its codes mean: there a code that
// is not a success code fails the row and a restart code restarts as the item's flag would; an
// item without the keys is done whatever its installer returns.
TEST_F(Installation, InstallersCodesCountWhereTheDiscSaysWhatTheyMean) {
    const TestDisc disc = MakeDisc(
        L"run-codes",
        Application("Codes", 1, "Strict", "Success_Exit_Codes=0, 3010\r\n", "/exit 5") +
            Application("Codes", 2, "Lenient", "", "/exit 5") +
            Application("Codes", 3, "Restarting", "Success_Exit_Codes=0\r\nRestart_Exit_Codes=0xBC2\r\n", "/exit 3010") +
            Application("Codes", 4, "Later"),
        4);
    const std::wstring restartCommand = SystemFolder() + L"\\shutdown.exe";
    ASSERT_TRUE(PlaceRecorderAt(restartCommand));
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(ClickStartAndAnswer(program, window), L"Install now?");

    // The restart code ends the run with the fourth item stored for after the restart.
    HWND restart = WaitForQuestion(program);
    ASSERT_NE(restart, nullptr);
    Answer(restart, IDYES);
    EXPECT_EQ(WaitForRecordedStart(L"shutdown"), L"shutdown -r -t 15");
    EXPECT_EQ(ReadRegistryString(L"SOFTWARE\\Tavelin", L"InstallWaitingList"), L"4");
    EXPECT_EQ(Statuses(window), L"Strict:Failed | Lenient:Done | Restarting:Done | Later:");
    SaveScreenshot(window, L"run-codes");
    // Every installer that ran did its work; only the rows say what the disc made of their codes.
    EXPECT_EQ(ReadRegistryString(L"SOFTWARE\\TavelinRunTest\\AppCodes1", L"Version"), L"2.0");
    EXPECT_EQ(ReadRegistryString(L"SOFTWARE\\TavelinRunTest\\AppCodes2", L"Version"), L"2.0");
    EXPECT_EQ(ReadRegistryString(L"SOFTWARE\\TavelinRunTest\\AppCodes3", L"Version"), L"2.0");
    EXPECT_EQ(ReadRegistryString(L"SOFTWARE\\TavelinRunTest\\AppCodes4", L"Version"), L"<no key>");
    EXPECT_FALSE(program.HasEnded());
}

}  // namespace
}  // namespace tavelin::testing
