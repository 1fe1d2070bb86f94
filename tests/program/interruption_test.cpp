// A run that survives interruptions, end to end: every run (not only a resumed one) keeps the
// restart record before each installer, so a program killed while its second installer runs (as
// a power cut, a logoff or an installer restarting Windows would end it) resumes at the next
// start with that item and those below it, and not the item that was done; the end of the session
// announced to the window stops the run before the next installer; a run that is through leaves
// neither the record nor the helper's RunOnce value.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "driver/list_reader.h"
#include "driver/narrow_text.h"
#include "driver/program_dialogs.h"
#include "driver/program_driver.h"
#include "driver/sample_disc.h"
#include "driver/test_registry.h"

namespace tavelin::testing {
namespace {

const wchar_t kRecordKey[] = L"SOFTWARE\\Tavelin";
const wchar_t kPendingKey[] = L"SOFTWARE\\TavelinRestartPending";
const wchar_t kRunOnce[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::string VersionKey(const std::string& set, int number) {
    return "SOFTWARE\\TavelinInterruptionTest\\App" + set + std::to_string(number);
}

std::string Application(const std::string& set, int number, const std::string& title, int delayMs) {
    return SampleApplication(number, title, VersionKey(set, number), delayMs);
}

std::wstring AppKey(const std::string& set, int number) { return Widen(VersionKey(set, number)); }

TestDisc MakeDisc(const std::wstring& name, const std::string& items, int quantity) {
    return MakeSampleDisc(name, "Interruption Disc", 0, items, quantity);
}

std::wstring StoredWaitingList() { return ReadRegistryString(kRecordKey, L"InstallWaitingList"); }
std::wstring RunOnceValue() { return ReadRegistryString(kRunOnce, L"Tavelin"); }
std::wstring BeginCounts() { return ReadRegistryString(kRecordKey, L"ItemBeginCounts"); }

// The helper's RunOnce value once it is set (the record is written first), or "<no value>".
std::wstring WaitForRunOnce(DWORD timeoutMs = 10000) {
    std::wstring value;
    for (DWORD waited = 0; (value = RunOnceValue()) == L"<no value>" && waited < timeoutMs; waited += 100) Sleep(100);
    return value;
}

// Polls until `read` gives `expected` or the timeout passes; the last value read.
template <typename Read>
std::wstring WaitForValue(Read read, const std::wstring& expected, DWORD timeoutMs = 60000) {
    std::wstring value;
    for (DWORD waited = 0; (value = read()) != expected && waited < timeoutMs; waited += 100) Sleep(100);
    return value;
}

class Interruption : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        DeleteRegistryKey(HKEY_LOCAL_MACHINE, kRecordKey, RegistryView::View32);
        ForgetPendingRestart();
        DeleteRegistryValue(kRunOnce, L"Tavelin");
    }
};

HWND StartTheRun(const RunningProgram& program) {
    HWND window = program.WaitForMainWindow();
    if (window == nullptr) return nullptr;
    return ClickStartAndAnswer(program, window) == L"Install now?" ? window : nullptr;
}

// The issue seen on the shipped program: a run killed while its second item installed installed
// the first one again at the next start, and a first (not resumed) run kept no record at all.
TEST_F(Interruption, ARunKilledDuringItsSecondInstallerResumesFromThatItem) {
    const TestDisc disc = MakeDisc(L"interrupted-killed",
                                   Application("Killed", 1, "First", 0) + Application("Killed", 2, "Second", 8000) +
                                       Application("Killed", 3, "Third", 0),
                                   3);
    {
        RunningProgram program(disc.ProgramPath(), L"setup.exe");
        ASSERT_NE(StartTheRun(program), nullptr);
        EXPECT_EQ(WaitForValue(StoredWaitingList, L"2@3"), L"2@3") << "written before the second installer starts";
        EXPECT_EQ(WaitForValue(BeginCounts, L"2:1", 10000), L"2:1");
        EXPECT_NE(WaitForRunOnce().find(L"ReInst.exe"), std::wstring::npos) << Narrow(RunOnceValue());
        EXPECT_FALSE(RegistryKeyExists(kPendingKey)) << "no restart was asked for: nothing holds the resume back";
        EXPECT_EQ(ReadRegistryString(AppKey("Killed", 1), L"Version"), L"2.0");
        // The power goes while the second installer runs.
    }
    EXPECT_EQ(StoredWaitingList(), L"2@3");
    // The first item's traces go, so that installing it again would show.
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, AppKey("Killed", 1), RegistryView::View32);

    RunningProgram resumed(disc.ProgramPath(), L"setup.exe");
    HWND reboot = WaitForQuestion(resumed, 120000);
    ASSERT_NE(reboot, nullptr);
    EXPECT_EQ(MessageBoxText(reboot), L"Reboot?") << "resumed at once, without Install now?";
    HWND window = resumed.FindMainWindow();
    EXPECT_EQ(DescribeRows(ReadListRows(GetDlgItem(window, 1007))), L"First[ ] | Second[x] | Third[x]");
    EXPECT_EQ(Statuses(window), L"First: | Second:Done | Third:Done");
    EXPECT_EQ(ReadRegistryString(AppKey("Killed", 1), L"Version"), L"<no key>") << "the done item was not run again";
    Answer(reboot, IDNO);
    EXPECT_TRUE(resumed.WaitForExit());
    EXPECT_FALSE(RegistryKeyExists(kRecordKey));
    EXPECT_EQ(RunOnceValue(), L"<no value>");
}

// The same for an unattended run: the next start goes on quietly with the rest.
TEST_F(Interruption, AQuietRunKilledMidwayResumesQuietlyWithoutTheDoneItem) {
    const TestDisc disc = MakeDisc(L"interrupted-quiet",
                                   Application("Quiet", 1, "First", 0) + Application("Quiet", 2, "Second", 8000) +
                                       Application("Quiet", 3, "Third", 0),
                                   3);
    {
        RunningProgram program(disc.ProgramPath(), L"setup.exe /quiet /items all");
        EXPECT_EQ(WaitForValue(StoredWaitingList, L"2@3"), L"2@3");
    }
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, AppKey("Quiet", 1), RegistryView::View32);
    RunningProgram resumed(disc.ProgramPath(), L"setup.exe");
    EXPECT_TRUE(resumed.EndsWithoutShowingAnyWindow(120000)) << "resumed in the stored quiet mode";
    EXPECT_EQ(resumed.ExitCode(), 0u);
    EXPECT_EQ(ReadRegistryString(AppKey("Quiet", 3), L"Version"), L"2.0");
    EXPECT_EQ(ReadRegistryString(AppKey("Quiet", 1), L"Version"), L"<no key>") << "the done item was not run again";
    EXPECT_FALSE(RegistryKeyExists(kRecordKey));
    EXPECT_EQ(RunOnceValue(), L"<no value>");
}

// Windows announces the end of the session while the first installer runs: the window does not
// refuse it, the installer is waited for, no further installer starts, and the record keeps the
// item the end may have cut off with the rest, for the next logon's helper.
TEST_F(Interruption, TheEndOfTheSessionStopsTheRunBeforeTheNextInstaller) {
    const TestDisc disc = MakeDisc(L"interrupted-session",
                                   Application("Session", 1, "First", 4000) + Application("Session", 2, "Second", 0),
                                   2);
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND window = StartTheRun(program);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WaitForValue(StoredWaitingList, L"1@2"), L"1@2");
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE) << "the end is never refused";
    SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_TRUE(program.WaitForExit(60000));
    EXPECT_EQ(program.ExitCode(), 1602u) << "items were left";
    EXPECT_EQ(ReadRegistryString(AppKey("Session", 2), L"Version"), L"<no key>") << "no installer after the end";
    EXPECT_EQ(StoredWaitingList(), L"1@2") << "the item the end may have cut off stays";
    EXPECT_NE(RunOnceValue().find(L"ReInst.exe"), std::wstring::npos) << Narrow(RunOnceValue());
}

// A quiet run has no visible window, but its hidden dialog hears of the end of the session all the
// same; the next start goes on quietly with the rest.
TEST_F(Interruption, AQuietRunStopsAtTheEndOfTheSessionAndResumesQuietly) {
    const TestDisc disc = MakeDisc(L"interrupted-quiet-session",
                                   Application("QuietSession", 1, "First", 4000) +
                                       Application("QuietSession", 2, "Second", 0),
                                   2);
    {
        RunningProgram program(disc.ProgramPath(), L"setup.exe /quiet /items all");
        EXPECT_EQ(WaitForValue(StoredWaitingList, L"1@2"), L"1@2");
        HWND window = program.FindMainWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_FALSE(IsWindowVisible(window));
        EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), TRUE);
        SendMessageW(window, WM_ENDSESSION, TRUE, 0);
        EXPECT_TRUE(program.WaitForExit(60000));
        EXPECT_EQ(program.ExitCode(), 1602u);
    }
    EXPECT_EQ(ReadRegistryString(AppKey("QuietSession", 2), L"Version"), L"<no key>");
    EXPECT_EQ(StoredWaitingList(), L"1@2");
    EXPECT_EQ(ReadRegistryString(kRecordKey, L"UnattendedRun").substr(0, 5), L"quiet");

    RunningProgram resumed(disc.ProgramPath(), L"setup.exe");
    EXPECT_TRUE(resumed.EndsWithoutShowingAnyWindow(120000)) << "resumed in the stored quiet mode";
    EXPECT_EQ(resumed.ExitCode(), 0u);
    EXPECT_EQ(ReadRegistryString(AppKey("QuietSession", 2), L"Version"), L"2.0");
    EXPECT_FALSE(RegistryKeyExists(kRecordKey));
    EXPECT_EQ(RunOnceValue(), L"<no value>");
}

// A run that is through leaves nothing behind: it did keep a record while it ran.
TEST_F(Interruption, ACompletedRunLeavesNoRecordAndNoRunOnceValue) {
    const TestDisc disc = MakeDisc(L"interrupted-none",
                                   Application("None", 1, "First", 4000) + Application("None", 2, "Second", 0), 2);
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    ASSERT_NE(StartTheRun(program), nullptr);
    EXPECT_EQ(WaitForValue(StoredWaitingList, L"1@2"), L"1@2") << "kept while the run goes on";
    EXPECT_NE(WaitForRunOnce().find(L"ReInst.exe"), std::wstring::npos) << Narrow(RunOnceValue());
    HWND reboot = WaitForQuestion(program);
    ASSERT_NE(reboot, nullptr);
    EXPECT_EQ(Statuses(program.FindMainWindow()), L"First:Done | Second:Done");
    EXPECT_FALSE(RegistryKeyExists(kRecordKey));
    EXPECT_EQ(RunOnceValue(), L"<no value>");
    Answer(reboot, IDNO);
    EXPECT_TRUE(program.WaitForExit());
}

}  // namespace
}  // namespace tavelin::testing
