// The disc taken away from a run: during the run (the folder the program was started from
// disappears between two items), and at the logon after a restart, when the restart helper finds
// no program at the recorded path. Drive R: of this group's prefix is C:\tavelin-tests\on-drive-r.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "driver/list_reader.h"
#include "driver/logon_resume.h"
#include "driver/narrow_text.h"
#include "driver/program_dialogs.h"
#include "driver/program_driver.h"
#include "driver/sample_disc.h"
#include "driver/test_registry.h"

namespace tavelin::testing {
namespace {

const wchar_t kRecordKey[] = L"SOFTWARE\\Tavelin";
const wchar_t kRunOnce[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::string AppKey(const std::string& set, int number) {
    return "SOFTWARE\\TavelinDiscGoneTest\\" + set + std::to_string(number);
}

std::string Application(const std::string& set, int number, const std::string& title, int delayMs = 200,
                        const std::string& extra = "") {
    return SampleApplication(number, title, AppKey(set, number), delayMs, extra);
}

std::wstring Installed(const std::string& set, int number) {
    return ReadRegistryString(Widen(AppKey(set, number)), L"Version");
}

TestDisc MakeDisc(const std::wstring& name, const std::string& items, int quantity) {
    return MakeSampleDisc(name, "Disc Gone", 0, items, quantity);
}

// Three items, the first taking long enough for its disc to be taken out while it installs.
TestDisc MakeThreeItemDisc(const std::wstring& name, const std::string& set) {
    return MakeDisc(name,
                    Application(set, 1, "First", 8000) + Application(set, 2, "Second") +
                        Application(set, 3, "Third"),
                    3);
}

class DiscGone : public ::testing::Test {
protected:
    void SetUp() override { RemoveRecord(); }
    void TearDown() override { RemoveRecord(); }
    static void RemoveRecord() {
        DeleteRegistryKey(HKEY_LOCAL_MACHINE, kRecordKey, RegistryView::View32);
        DeleteRegistryValue(kRunOnce, L"Tavelin");
        ForgetPendingRestart();
    }
};

// Every later row used to be "Failed", and a resumed run left failed items out for good. Now the
// window asks for the disc before the next item; Retry asks again while it is still away, Cancel
// ends the program with 1603 and the item and the rest in the record, which the next start of the
// disc resumes.
TEST_F(DiscGone, ADiscTakenOutDuringARunIsAskedForAndCancelKeepsTheRest) {
    const TestDisc disc = MakeThreeItemDisc(L"gone-window", "Window");
    const std::wstring away = disc.Folder() + L"-away";
    {
        RunningProgram program(disc.ProgramPath(), L"setup.exe");
        HWND window = program.WaitForMainWindow();
        ASSERT_NE(window, nullptr);
        ASSERT_EQ(ClickStartAndAnswer(program, window), L"Install now?");
        Sleep(2000);  // the first installer runs
        ASSERT_EQ(Installed("Window", 1), L"<no key>") << "the first installer ended too soon for the test";
        ASSERT_TRUE(MoveFileW(disc.Folder().c_str(), away.c_str())) << "error " << GetLastError();

        HWND ask = WaitForQuestion(program);
        ASSERT_NE(ask, nullptr);
        const std::wstring text = MessageBoxText(ask);
        EXPECT_EQ(text.rfind(L"Insert the disc", 0), 0u) << Narrow(text);
        EXPECT_NE(text.find(disc.DiscRoot() + L"\\"), std::wstring::npos) << Narrow(text);
        EXPECT_EQ(Statuses(window), L"First:Done | Second: | Third:");
        SaveScreenshot(window, L"disc-gone-ask");
        Answer(ask, IDRETRY);
        ask = WaitForQuestion(program, 20000);
        ASSERT_NE(ask, nullptr) << "the disc is still away: asked again";
        EXPECT_EQ(MessageBoxText(ask), text);
        Answer(ask, IDCANCEL);
        ASSERT_TRUE(program.WaitForExit(30000)) << "Cancel ends the program";
        EXPECT_EQ(program.ExitCode(), 1603u);
    }
    EXPECT_EQ(Installed("Window", 1), L"2.0");
    EXPECT_EQ(Installed("Window", 2), L"<no key>");
    EXPECT_EQ(ReadRegistryString(kRecordKey, L"InstallWaitingList"), L"2@3") << "the item not run is kept";

    // The disc is back: its next start resumes the rest at once.
    ASSERT_TRUE(MoveFileW(away.c_str(), disc.Folder().c_str())) << "error " << GetLastError();
    RunningProgram resumed(disc.ProgramPath(), L"setup.exe");
    HWND reboot = WaitForQuestion(resumed);
    ASSERT_NE(reboot, nullptr);
    EXPECT_EQ(MessageBoxText(reboot), L"Reboot?");
    EXPECT_EQ(Statuses(resumed.FindMainWindow()), L"Second:Done | Third:Done");
    Answer(reboot, IDNO);
    EXPECT_TRUE(resumed.WaitForExit());
    EXPECT_FALSE(RegistryKeyExists(kRecordKey));
}

// Nobody answers an unattended run: it stops at once, shows nothing, and says 1603.
TEST_F(DiscGone, AQuietRunWhoseDiscIsTakenOutStopsWithTheRestKept) {
    const TestDisc disc = MakeThreeItemDisc(L"gone-quiet", "Quiet");
    const std::wstring away = disc.Folder() + L"-away";
    RunningProgram program(disc.ProgramPath(), L"setup.exe /quiet");
    Sleep(3000);  // the first installer runs
    ASSERT_FALSE(program.HasEnded());
    ASSERT_EQ(Installed("Quiet", 1), L"<no key>") << "the first installer ended too soon for the test";
    ASSERT_TRUE(MoveFileW(disc.Folder().c_str(), away.c_str())) << "error " << GetLastError();
    EXPECT_TRUE(program.EndsWithoutShowingAnyWindow(60000));
    EXPECT_EQ(program.ExitCode(), 1603u);
    EXPECT_EQ(Installed("Quiet", 1), L"2.0");
    EXPECT_EQ(Installed("Quiet", 2), L"<no key>");
    EXPECT_EQ(ReadRegistryString(kRecordKey, L"InstallWaitingList"), L"2@3");
    MoveFileW(away.c_str(), disc.Folder().c_str());
}

// A restart helper of its own, where RunOnce names it.
std::wstring PlaceHelper(const std::wstring& folderName) {
    const TestDisc folder(folderName, L"setup.exe", TestDisc::Libraries::None);
    const std::wstring helper = folder.DiscRoot() + L"\\ReInst.exe";
    CopyFileW((PathFromEnvironment("TAVELIN_DISC_DIR") + L"\\Lib\\ReInst.exe").c_str(), helper.c_str(), FALSE);
    return helper;
}

// The record of a run whose disc is in no drive now.
void StoreRecordOfAMissingDisc() {
    SetRegistryString(kRecordKey, L"InstallWaitingList", L"2");
    SetRegistryString(kRecordKey, L"FullPathName", L"Q:\\tavelin-missing\\setup.exe");
    SetRegistryString(kRecordKey, L"DiscIdentity", std::wstring(64, L'0'));
}

// The helper used to start the stored path and give up; RunOnce was gone with the logon, and the
// run never resumed. Now it asks for the disc; Retry looks again, Cancel keeps it for the next logon.
TEST_F(DiscGone, AHelperWhoseDiscIsNowhereAsksAndKeepsItsRunOnce) {
    StoreRecordOfAMissingDisc();
    const std::wstring helper = PlaceHelper(L"helper-nowhere");
    RunningProgram run(helper, L"ReInst.exe");
    HWND ask = WaitForQuestion(run, 30000);
    ASSERT_NE(ask, nullptr);
    const std::wstring text = MessageBoxText(ask);
    EXPECT_EQ(text.rfind(L"Insert the disc", 0), 0u) << Narrow(text);
    EXPECT_NE(text.find(L"Q:\\tavelin-missing\\setup.exe"), std::wstring::npos) << Narrow(text);
    Answer(ask, IDRETRY);
    ask = WaitForQuestion(run, 30000);
    ASSERT_NE(ask, nullptr) << "Retry looks again, and asks again";
    Answer(ask, IDCANCEL);
    ASSERT_TRUE(run.WaitForExit());
    EXPECT_EQ(run.ExitCode(), 4u);
    EXPECT_EQ(ReadRegistryString(kRunOnce, L"Tavelin"), helper) << "the helper runs again at the next logon";
    EXPECT_EQ(ReadRegistryString(kRecordKey, L"InstallWaitingList"), L"2");
}

// A fleet's logon does not hang on a question: an unattended run's helper looks, keeps RunOnce and
// ends with a code of its own.
TEST_F(DiscGone, AnUnattendedRunsHelperAsksNobody) {
    StoreRecordOfAMissingDisc();
    SetRegistryString(kRecordKey, L"UnattendedRun", std::wstring(L"quiet\0", 6), REG_MULTI_SZ);
    const std::wstring helper = PlaceHelper(L"helper-unattended");
    RunningProgram run(helper, L"ReInst.exe");
    EXPECT_TRUE(run.EndsWithoutShowingAnyWindow(30000));
    EXPECT_EQ(run.ExitCode(), 5u);
    EXPECT_EQ(ReadRegistryString(kRunOnce, L"Tavelin"), helper);
}

// The disc ran from R:, and at the logon its drive has another letter (here: the recorded Q: is
// gone). The helper finds the same disc at the same path on R: and starts it from there; the
// program resumes its record, which it knows by the disc's identity, quietly as the run began.
TEST_F(DiscGone, AHelperStartsTheDiscFromTheDriveItIsInNow) {
    ASSERT_NE(GetFileAttributesW(L"R:\\"), INVALID_FILE_ATTRIBUTES) << "drive R: of the test's prefix";
    const TestDisc disc = MakeDisc(L"on-drive-r",
                                   Application("OnR", 1, "First", 200, "Restart=1\r\n") +
                                       Application("OnR", 2, "Second"),
                                   2);
    const std::wstring log = L"C:\\tavelin-tests\\on-drive-r.log";
    {
        RunningProgram program(L"R:\\setup.exe", L"setup.exe /quiet /norestart /log \"" + log + L"\"", L"R:\\");
        EXPECT_TRUE(program.EndsWithoutShowingAnyWindow(60000));
        ASSERT_EQ(program.ExitCode(), 3010u);
    }
    ASSERT_EQ(ReadRegistryString(kRecordKey, L"InstallWaitingList"), L"2");
    // Another letter now: nothing at the recorded path.
    SetRegistryString(kRecordKey, L"FullPathName", L"Q:\\setup.exe");
    ForgetPendingRestart();

    const LogonStart logon = RunOnceAtLogon();
    ASSERT_NE(logon.command, L"<no value>");
    ASSERT_TRUE(logon.started && logon.ended);
    EXPECT_EQ(logon.exitCode, 0u) << "the helper started the program";

    const std::string ended = "Program ends, exit code 0";
    const std::string text = WaitForFileText(log, ended);
    const auto first = text.find("Program ends, exit code 3010");
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_NE(text.find(ended, first), std::string::npos) << "the helper's start resumed the run\n" << text;
    EXPECT_NE(text.find("Item 2: working folder R:\\Apps\\Power", first), std::string::npos) << "started from R:\n" << text;
    EXPECT_EQ(Installed("OnR", 2), L"2.0");
    EXPECT_FALSE(RegistryKeyExists(kRecordKey)) << "a run that is through leaves no record";
    EXPECT_EQ(ReadRegistryString(kRunOnce, L"Tavelin"), L"<no value>");
}

}  // namespace
}  // namespace tavelin::testing
