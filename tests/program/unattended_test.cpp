// Unattended deployment: the program started by a deployment tool, which sees no window and reads
// the exit code. Each test has registry keys of its own (the tests share one machine).
#include <gtest/gtest.h>

#include "driver/list_reader.h"
#include "driver/logon_resume.h"
#include "driver/narrow_text.h"
#include "driver/program_dialogs.h"
#include "driver/program_driver.h"
#include "driver/sample_disc.h"
#include "driver/test_registry.h"
#include "../support/file_contents_win.h"

namespace tavelin::testing {
namespace {

std::string AppKey(const std::string& set, int number) {
    return "SOFTWARE\\TavelinUnattendedTest\\" + set + std::to_string(number);
}

// An application the sample installer installs by writing the version detection reads.
std::string Application(const std::string& set, int number, int delayMs = 100) {
    return SampleApplication(number, "App " + std::to_string(number), AppKey(set, number), delayMs);
}

std::string MissingInstaller(int number) {
    return "[Item_" + std::to_string(number) + "]\r\nType=HOTFIX\r\nTitle_ENG=Broken Hotfix\r\n"
           "Version_Path=SOFTWARE\\TavelinUnattendedTest\\NoHotfix\r\nSlient_Install_Cmd=\\Hotfix\\Missing.exe\r\n";
}

TestDisc MakeDisc(const std::wstring& name, const std::string& items, int quantity, const std::string& discKeys = "") {
    return MakeSampleDisc(name, "Deployment Disc", 0, items, quantity, discKeys);
}

std::wstring Installed(const std::string& set, int number) {
    return ReadRegistryString(Widen(AppKey(set, number)), L"Version");
}

TEST(Unattended, QuietInstallsTheDefaultSelectionWithoutAWindowAndLogsWhereAsked) {
    const TestDisc disc = MakeDisc(L"quiet-ok", Application("Quiet", 1) + Application("Quiet", 2), 2);
    const std::wstring log = disc.DiscRoot() + L"\\..\\quiet-ok.log";
    RunningProgram program(disc.ProgramPath(), L"setup.exe /quiet /log \"" + log + L"\"");
    EXPECT_TRUE(program.EndsWithoutShowingAnyWindow(60000));
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_EQ(Installed("Quiet", 1), L"2.0");
    EXPECT_EQ(Installed("Quiet", 2), L"2.0");
    const std::string text = ReadFileBytes(log);
    EXPECT_EQ(text.rfind("\xEF\xBB\xBF", 0), 0u) << "a new log file starts as UTF-8";
    EXPECT_NE(text.find("Answer: Yes (unattended)"), std::string::npos) << text;
    EXPECT_NE(text.find("The program ends with exit code 0: the run is complete"), std::string::npos) << text;
}

TEST(Unattended, AFailingItemGives1603AndTheOthersStillInstall) {
    const TestDisc disc =
        MakeDisc(L"quiet-failing", Application("Failing", 1) + MissingInstaller(2) + Application("Failing", 3), 3);
    RunningProgram program(disc.ProgramPath(), L"setup.exe /quiet");
    EXPECT_TRUE(program.EndsWithoutShowingAnyWindow(60000));
    EXPECT_EQ(program.ExitCode(), 1603u);
    EXPECT_EQ(Installed("Failing", 1), L"2.0");
    EXPECT_EQ(Installed("Failing", 3), L"2.0");
}

TEST(Unattended, ARefusedMachineGives1633WithoutABox) {
    const TestDisc disc = MakeDisc(L"quiet-refused", Application("Refused", 1), 1, "Model=Another Book\r\n");
    RunningProgram program(disc.ProgramPath(), L"setup.exe /quiet");
    EXPECT_TRUE(program.EndsWithoutShowingAnyWindow(60000));
    EXPECT_EQ(program.ExitCode(), 1633u);
    EXPECT_EQ(Installed("Refused", 1), L"<no key>");
}

TEST(Unattended, ASecondCopyGives1618) {
    const TestDisc disc = MakeDisc(L"quiet-second", Application("Second", 1), 1);
    RunningProgram first(disc.ProgramPath(), L"setup.exe");
    ASSERT_NE(first.WaitForMainWindow(), nullptr);
    {
        RunningProgram second(disc.ProgramPath(), L"setup.exe /quiet");
        EXPECT_TRUE(second.EndsWithoutShowingAnyWindow(30000));
        EXPECT_EQ(second.ExitCode(), 1618u);
    }
    EXPECT_TRUE(first.Close());
    EXPECT_EQ(first.ExitCode(), 1602u) << "closed without a run while its item was offered: declined";
    EXPECT_EQ(Installed("Second", 1), L"<no key>");
}

// A bad switch value ends the program before anything is installed, whatever the mode.
TEST(Unattended, BadSwitchValuesGive87AndInstallNothing) {
    const TestDisc disc = MakeDisc(L"quiet-bad", Application("Bad", 1) + Application("Bad", 2), 2);
    for (const wchar_t* arguments : {L" /quiet /items 1,9", L" /quiet /items one", L" /passive /log", L" /items 7"}) {
        RunningProgram program(disc.ProgramPath(), std::wstring(L"setup.exe") + arguments);
        EXPECT_TRUE(program.EndsWithoutShowingAnyWindow(30000)) << Narrow(arguments);
        EXPECT_EQ(program.ExitCode(), 87u) << Narrow(arguments);
    }
    EXPECT_EQ(Installed("Bad", 1), L"<no key>");
    EXPECT_EQ(Installed("Bad", 2), L"<no key>");
}

// Passive: the window shows the run, asks nothing and closes itself; /items chooses the item.
TEST(Unattended, PassiveInstallsTheChosenItemsAndClosesItself) {
    const TestDisc disc = MakeDisc(L"passive", Application("Passive", 1) + Application("Passive", 2), 2);
    RunningProgram program(disc.ProgramPath(), L"setup.exe /passive /items 2");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr) << "the passive run shows its window";
    EXPECT_EQ(program.WaitForMessageBox(0), nullptr);
    EXPECT_TRUE(program.WaitForExit(60000)) << "it closes itself";
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_EQ(Installed("Passive", 1), L"<no key>");
    EXPECT_EQ(Installed("Passive", 2), L"2.0");
}

// /? shows the usage and ends: on the console of whoever started the program when there is one,
// else in a message box (as here, started from a program without a console of its own to lend).
TEST(Unattended, UsageIsShownAndNothingRuns) {
    const TestDisc disc = MakeDisc(L"usage", Application("Usage", 1), 1);
    RunningProgram program(disc.ProgramPath(), L"setup.exe /?");
    if (HWND box = program.WaitForMessageBox(5000)) {
        EXPECT_EQ(MessageBoxText(box).rfind(L"setup.exe [/quiet | /passive] [/norestart] [/log FILE]", 0), 0u)
            << Narrow(MessageBoxText(box));
        AnswerMessageBox(box, IDOK);
    }
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_EQ(Installed("Usage", 1), L"<no key>");
}

// A restart item under /norestart: the rest waits in the restart record for the next start after
// a restart that the caller makes, and the program says so with 3010. At the next logon Windows
// runs each HKLM RunOnce command once, waiting for it, and removes it; the restart helper stored
// there starts the program without switches, and it goes on quietly and appends to the same log.
// The logon's part is done here as Windows does it: Wine's own restart, wineboot -r, deletes the
// program's REG_EXPAND_SZ value unrun (see the tests' README).
TEST(Unattended, NoRestartStoresTheRestAndTheLogonsRunOnceResumesItQuietly) {
    const wchar_t kRecordKey[] = L"SOFTWARE\\Tavelin";
    const TestDisc disc = MakeDisc(L"quiet-norestart",
                                   Application("NoRestart", 1) + "Restart=1\r\n" + Application("NoRestart", 2), 2);
    const std::wstring log = disc.DiscRoot() + L"\\..\\quiet-norestart.log";
    {
        RunningProgram program(disc.ProgramPath(), L"setup.exe /quiet /norestart /log \"" + log + L"\"");
        EXPECT_TRUE(program.EndsWithoutShowingAnyWindow(60000));
        ASSERT_EQ(program.ExitCode(), 3010u);
    }
    EXPECT_EQ(Installed("NoRestart", 1), L"2.0");
    ASSERT_EQ(Installed("NoRestart", 2), L"<no key>");
    EXPECT_EQ(ReadRegistryString(kRecordKey, L"InstallWaitingList"), L"2");
    DWORD type = 0;
    ReadRegistryString(kRecordKey, L"UnattendedNoRestart", &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << "the resumed run must not restart whoever logged on";

    // Started again before the restart: nothing of the record is installed yet, and the caller is
    // told again that Windows must restart.
    {
        RunningProgram early(disc.ProgramPath(), L"setup.exe /quiet");
        EXPECT_TRUE(early.EndsWithoutShowingAnyWindow(60000));
        EXPECT_EQ(early.ExitCode(), 3010u);
    }
    EXPECT_EQ(Installed("NoRestart", 2), L"<no key>");
    EXPECT_EQ(ReadRegistryString(kRecordKey, L"InstallWaitingList"), L"2") << "the record waits for the restart";

    ForgetPendingRestart();
    const LogonStart logon = RunOnceAtLogon();
    ASSERT_NE(logon.command, L"<no value>") << "the helper resumes after the restart";
    ASSERT_TRUE(logon.started && logon.ended);
    EXPECT_EQ(logon.exitCode, 0u) << "the helper started the program";

    // The resumed start shows nothing; the log's last line says when and how it ended.
    const std::string ended = "Program ends, exit code 0";
    const std::string text = WaitForFileText(log, ended);
    const auto first = text.find("Program ends, exit code 3010");
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_NE(text.find(ended, first), std::string::npos) << "the helper's start resumed the run\n" << text;
    EXPECT_EQ(text.find("\xEF\xBB\xBF", 3), std::string::npos) << "one byte-order mark, at the start";
    EXPECT_EQ(Installed("NoRestart", 2), L"2.0");
    EXPECT_FALSE(RegistryKeyExists(kRecordKey)) << "a run that is through leaves no record";
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, kRecordKey, RegistryView::View32);
}

// The commonest disc: one driver that needs a restart, and it is the last item. Nothing waits for
// the restart, but the restart is still needed, and the caller who forbade it is told so.
TEST(Unattended, ARestartNeededByTheLastItemGives3010UnderNoRestart) {
    const TestDisc disc =
        MakeDisc(L"quiet-last-restart", Application("LastRestart", 1) + Application("LastRestart", 2) + "Restart=1\r\n", 2);
    const std::wstring log = disc.DiscRoot() + L"\\..\\quiet-last-restart.log";
    RunningProgram program(disc.ProgramPath(), L"setup.exe /quiet /norestart /log \"" + log + L"\"");
    EXPECT_TRUE(program.EndsWithoutShowingAnyWindow(60000));
    EXPECT_EQ(program.ExitCode(), 3010u);
    EXPECT_EQ(Installed("LastRestart", 1), L"2.0");
    EXPECT_EQ(Installed("LastRestart", 2), L"2.0");
    EXPECT_FALSE(RegistryKeyExists(L"SOFTWARE\\Tavelin")) << "nothing waits: no record";
    const std::string text = ReadFileBytes(log);
    EXPECT_NE(text.find("Windows must restart to finish it (/norestart)"), std::string::npos) << text;
}

// Closing a passive window answers "stop and close" by itself: the run ends after the item being
// installed, and the code says that items were left.
TEST(Unattended, AStoppedPassiveRunGives1602) {
    const TestDisc disc =
        MakeDisc(L"passive-stopped", Application("Stopped", 1, 4000) + Application("Stopped", 2), 2);
    RunningProgram program(disc.ProgramPath(), L"setup.exe /passive");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    Sleep(1500);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit(60000));
    EXPECT_EQ(program.ExitCode(), 1602u);
    EXPECT_EQ(Installed("Stopped", 1), L"2.0") << "the item that ran was finished";
    EXPECT_EQ(Installed("Stopped", 2), L"<no key>");
    EXPECT_EQ(ReadRegistryString(L"SOFTWARE\\Tavelin", L"InstallWaitingList"), L"2") << "kept for the next start";
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Tavelin", RegistryView::View32);
}

// A record left by another disc built with this program: its item numbers mean other items here.
// An unattended start leaves it alone and installs what it was asked to, and says so.
TEST(Unattended, ARecordOfAnotherDiscIsLeftAlone) {
    const wchar_t kRecordKey[] = L"SOFTWARE\\Tavelin";
    const TestDisc disc = MakeDisc(L"quiet-other-disc", Application("OtherDisc", 1) + Application("OtherDisc", 2), 2);
    ForgetPendingRestart();
    SetRegistryString(kRecordKey, L"InstallWaitingList", L"1");
    SetRegistryString(kRecordKey, L"FullPathName", L"E:\\setup.exe");
    SetRegistryString(kRecordKey, L"DiscIdentity", std::wstring(64, L'0'));
    const std::wstring log = disc.DiscRoot() + L"\\..\\quiet-other-disc.log";
    RunningProgram program(disc.ProgramPath(), L"setup.exe /quiet /items 2 /log \"" + log + L"\"");
    EXPECT_TRUE(program.EndsWithoutShowingAnyWindow(60000));
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_EQ(Installed("OtherDisc", 1), L"<no key>") << "nothing of the record is installed";
    EXPECT_EQ(Installed("OtherDisc", 2), L"2.0");
    EXPECT_EQ(ReadRegistryString(kRecordKey, L"InstallWaitingList"), L"1") << "the record is left";
    const std::string text = ReadFileBytes(log);
    EXPECT_NE(text.find("The restart record belongs to another disc"), std::string::npos) << text;
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, kRecordKey, RegistryView::View32);
}

// Windows waits for a restart already (servicing's mark, in the 64-bit view where Windows keeps
// it): the window says so where descriptions go before Start, and an unattended run reports the
// restart at its end although no item asked for one. It does not restart Windows for it.
TEST(Unattended, ARestartPendingBeforeTheRunIsReported) {
    const wchar_t kServicing[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Component Based Servicing\\RebootPending";
    const TestDisc disc = MakeDisc(L"quiet-pending", Application("Pending", 1), 1);
    UniqueKey mark;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kServicing, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY, nullptr,
                              mark.Receive(), nullptr),
              ERROR_SUCCESS);
    {
        RunningProgram window(disc.ProgramPath(), L"setup.exe");
        HWND main = window.WaitForMainWindow();
        ASSERT_NE(main, nullptr);
        EXPECT_EQ(ReadControl(main, 1010).text.rfind(L"Windows is waiting for a restart", 0), 0u)
            << Narrow(ReadControl(main, 1010).text);
        EXPECT_TRUE(window.Close());
    }
    RunningProgram program(disc.ProgramPath(), L"setup.exe /quiet");
    EXPECT_TRUE(program.EndsWithoutShowingAnyWindow(60000));
    EXPECT_EQ(program.ExitCode(), 3010u);
    EXPECT_EQ(Installed("Pending", 1), L"2.0");
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, kServicing, RegistryView::View64);
}

}  // namespace
}  // namespace tavelin::testing
