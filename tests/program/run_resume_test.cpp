// A run that loses nothing, end to end: the waiting list stored across a restart is resumed
// whatever its length, kept until the resumed run is through (so an interrupted one resumes
// exactly its remainder), read once per start, and ends its resume mode; a run cannot be cut in
// half by closing the window or by codes posted to the dialog while an installer runs; a restart
// whose resume cannot be stored does not happen; and a record the program cannot remove is
// offered, not acted on.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "driver/list_reader.h"
#include "driver/narrow_text.h"
#include "driver/program_dialogs.h"
#include "driver/program_driver.h"
#include "driver/sample_disc.h"
#include "driver/recorded_starts.h"
#include "driver/test_registry.h"

namespace tavelin::testing {
namespace {

constexpr UINT kUmInternal = WM_USER + 1;
constexpr int kStartButton = 1008;
constexpr int kDefaultButton = 1005;
const wchar_t kRecordKey[] = L"SOFTWARE\\Tavelin";
const wchar_t kWaitingListValue[] = L"InstallWaitingList";

// An application item installed by the sample installer after `delayMs`. Each test has keys of
// its own (`set`): the tests of a group share one machine.
std::string VersionKey(const std::string& set, int number) {
    return "SOFTWARE\\TavelinRunTest\\App" + set + std::to_string(number);
}

std::string Application(const std::string& set, int number, const std::string& title, const std::string& extra = "",
                        int delayMs = 200) {
    return SampleApplication(number, title, VersionKey(set, number), delayMs, extra);
}

std::wstring InstalledVersion(const std::string& set, int number) {
    return ReadRegistryString(Widen(VersionKey(set, number)), L"Version");
}

void MarkInstalled(const std::string& set, int number) {
    SetRegistryString(Widen(VersionKey(set, number)), L"Version", L"2.0");
}

std::wstring StoredWaitingList() { return ReadRegistryString(kRecordKey, kWaitingListValue); }

// The record as the program leaves it before a restart, pointing at this disc's program.
void StoreRecord(const TestDisc& disc, const std::wstring& waitingList) {
    SetRegistryString(kRecordKey, kWaitingListValue, waitingList);
    SetRegistryString(kRecordKey, L"FullPathName", disc.ProgramPath());
}

TestDisc MakeDisc(const std::wstring& name, const std::string& items, int quantity, bool withHelper = true) {
    return MakeSampleDisc(name, "Run Disc", 1, items, quantity, "",
                          withHelper ? RestartHelper::OnDisc : RestartHelper::None);
}



// The record's key made so that the program may read it but neither write nor delete it, as a
// policy or another tool may leave it; `list` is stored first when not empty. The key's owner can
// always give itself back the rights, which the fixture's clean-up does.
bool LockRecord(const std::wstring& list) {
    if (!list.empty()) SetRegistryString(kRecordKey, kWaitingListValue, list);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRecordKey, 0, WRITE_DAC | RegistryViewFlag(RegistryView::View32), &key) !=
            ERROR_SUCCESS &&
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRecordKey, 0, nullptr, 0, WRITE_DAC | RegistryViewFlag(RegistryView::View32),
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    // Everyone may read; nobody may set values or delete.
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    BYTE aclBytes[256];
    auto* acl = reinterpret_cast<PACL>(aclBytes);
    InitializeAcl(acl, sizeof aclBytes, ACL_REVISION);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ, everyone);
    SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    const bool locked = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
    FreeSid(everyone);
    RegCloseKey(key);
    return locked;
}

void UnlockRecord() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRecordKey, 0, WRITE_DAC | RegistryViewFlag(RegistryView::View32), &key) !=
        ERROR_SUCCESS) {
        return;
    }
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);  // no list: everyone may do everything
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
    RegCloseKey(key);
}

// Whether the registry holds the program to a key's access list here.
bool LockedRecordRefusesWrites() {
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRecordKey, 0,
                                      KEY_SET_VALUE | RegistryViewFlag(RegistryView::View32), &key);
    if (opened == ERROR_SUCCESS) RegCloseKey(key);
    return opened == ERROR_ACCESS_DENIED;
}

// The record is the machine's, not a disc's: every test starts and ends without one.
class WithoutRecord : public ::testing::Test {
protected:
    void SetUp() override { RemoveRecord(); }
    void TearDown() override { RemoveRecord(); }
    static void RemoveRecord() {
        UnlockRecord();
        DeleteRegistryKey(HKEY_LOCAL_MACHINE, kRecordKey, RegistryView::View32);
        ForgetPendingRestart();
    }
};
class Resume : public WithoutRecord {};
class RunGuard : public WithoutRecord {};

void Click(HWND window, int button) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0); }

// Polls until `read` gives `expected` or the timeout passes; the last value read.
template <typename Read>
std::wstring WaitForValue(Read read, const std::wstring& expected, DWORD timeoutMs) {
    std::wstring value;
    for (DWORD waited = 0; (value = read()) != expected && waited < timeoutMs; waited += 100) Sleep(100);
    return value;
}

// The restart record used to be read with 260 bytes: 60 item numbers (170 characters) were never
// read back, and the items came back checked by the usual rule instead of resuming.
TEST_F(Resume, SixtyStoredItemsAreResumed) {
    std::string items;
    std::wstring stored;
    for (int number = 1; number <= 62; ++number) {
        items += Application("Sixty", number, "Item " + std::to_string(number), "", 0);
        if (number <= 60) stored += (number > 1 ? L"@" : L"") + std::to_wstring(number);
    }
    ASSERT_GT(stored.size(), 129u);
    const TestDisc disc = MakeDisc(L"resume-sixty", items, 62);
    StoreRecord(disc, stored);

    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND reboot = WaitForQuestion(program, 400000);
    ASSERT_NE(reboot, nullptr);
    EXPECT_EQ(MessageBoxText(reboot), L"Reboot?") << "resumed at once, without Install now?";
    const auto rows = ReadListRows(GetDlgItem(program.FindMainWindow(), 1007));
    ASSERT_EQ(rows.size(), 62u);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        EXPECT_EQ(rows[row].cells[3] == L"Done", row < 60) << "row " << row << ": " << Narrow(rows[row].cells[3]);
    }
    EXPECT_EQ(InstalledVersion("Sixty", 60), L"2.0");
    EXPECT_EQ(InstalledVersion("Sixty", 61), L"<no key>");
    Answer(reboot, IDNO);
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_FALSE(RegistryKeyExists(kRecordKey)) << "a run that is through leaves no record";
}

// Started again, a stored run resumes by itself: it ends with the "Reboot?" question over the rows
// it ran, answered No, and the program ends.
void ExpectTheResumedRunEndsAskingReboot(const TestDisc& disc, const wchar_t* statuses) {
    RunningProgram resumed(disc.ProgramPath(), L"setup.exe");
    HWND reboot = WaitForQuestion(resumed);
    ASSERT_NE(reboot, nullptr);
    EXPECT_EQ(MessageBoxText(reboot), L"Reboot?");
    EXPECT_EQ(Statuses(resumed.FindMainWindow()), statuses);
    Answer(reboot, IDNO);
    EXPECT_TRUE(resumed.WaitForExit());
}

// The record was deleted as soon as it was read: a resumed run that died lost its rest.
TEST_F(Resume, AnInterruptedResumedRunResumesExactlyTheRemainder) {
    const TestDisc disc = MakeDisc(L"resume-killed",
                                   Application("Killed", 1, "First") + Application("Killed", 2, "Second") +
                                       Application("Killed", 3, "Third") + Application("Killed", 4, "Fourth"),
                                   4);
    StoreRecord(disc, L"1@2@3@4");
    {
        RunningProgram program(disc.ProgramPath(), L"setup.exe");
        ASSERT_NE(program.WaitForMainWindow(), nullptr);
        EXPECT_EQ(WaitForValue(StoredWaitingList, L"2@3@4", 60000), L"2@3@4") << "rewritten after the first item";
        EXPECT_EQ(WaitForValue(StoredWaitingList, L"3@4", 60000), L"3@4") << "and after the second";
        // The power goes: the program ends at once, in the pause after the second item.
    }
    EXPECT_EQ(StoredWaitingList(), L"3@4");
    EXPECT_EQ(InstalledVersion("Killed", 2), L"2.0");
    EXPECT_EQ(InstalledVersion("Killed", 3), L"<no key>");

    ExpectTheResumedRunEndsAskingReboot(disc, L"Third:Done | Fourth:Done");
    EXPECT_EQ(InstalledVersion("Killed", 4), L"2.0");
    EXPECT_FALSE(RegistryKeyExists(kRecordKey));
}

// With nothing to offer in the recommended view, the list is filled a second time for the
// advanced view; that pass read the record again after the first had deleted it, and nothing was
// checked.
TEST_F(Resume, AResumeWithAnEmptyRecommendedViewInstallsTheStoredItems) {
    const TestDisc disc =
        MakeDisc(L"resume-empty-view", Application("Empty", 1, "First") + Application("Empty", 2, "Second"), 2);
    MarkInstalled("Empty", 1);
    MarkInstalled("Empty", 2);
    StoreRecord(disc, L"2");

    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND question = WaitForQuestion(program);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(MessageBoxText(question), L"Reboot?");
    EXPECT_EQ(Statuses(program.FindMainWindow()), L"First:Installed | Second:Done");
    Answer(question, IDNO);
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_FALSE(RegistryKeyExists(kRecordKey));
}

// The disc lies where others may write: a stored run whose catalogue was another (its SHA-256 in
// the record differs from the catalogue's now) resumes nothing, and the user is told why.
TEST_F(Resume, ARunStoredWithAnotherCatalogueResumesNothing) {
    const TestDisc disc = MakeDisc(L"resume-other-catalogue",
                                   Application("Other", 1, "First") + Application("Other", 2, "Second"), 2);
    StoreRecord(disc, L"2");
    SetRegistryString(kRecordKey, L"CatalogueSHA256", std::wstring(64, L'0'));
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND box = program.WaitForMessageBox(20000);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(MessageBoxText(box).find(L"catalogue has changed"), std::wstring::npos) << Narrow(MessageBoxText(box));
    Answer(box, IDOK);
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WaitForQuestion(program, 3000), nullptr) << "nothing resumed";
    EXPECT_EQ(InstalledVersion("Other", 2), L"<no key>");
    EXPECT_TRUE(program.Close());
}

// A record the program cannot remove would install the same items at every start without asking:
// its items come checked, and Start asks first.
TEST_F(Resume, ARecordThatCannotBeRemovedIsOfferedNotActedOn) {
    const TestDisc disc = MakeDisc(L"resume-locked",
                                   Application("Stuck", 1, "First") + Application("Stuck", 2, "Second"), 2);
    SetRegistryString(kRecordKey, L"FullPathName", disc.ProgramPath());
    ASSERT_TRUE(LockRecord(L"2"));
    if (!LockedRecordRefusesWrites()) GTEST_SKIP() << "this registry does not hold a key to its access list";
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WaitForQuestion(program, 3000), nullptr) << "no run without asking";
    EXPECT_EQ(DescribeRows(ReadListRows(GetDlgItem(window, 1007))), L"First[ ] | Second[x]");
    EXPECT_EQ(InstalledVersion("Stuck", 2), L"<no key>");
    ASSERT_EQ(ClickStartAndAnswer(program, window, IDNO), L"Install now?");
    EXPECT_TRUE(program.Close());
}

// The resume mode never ended: after a resumed run that re-scans, Default emptied the check marks
// and said "Please choose one of item to install", and Start no longer asked.
TEST_F(Resume, ReScansAfterAResumedRunBehaveAsOnAnyStart) {
    const TestDisc disc = MakeDisc(L"resume-rescan",
                                   Application("Rescans", 1, "First", "Rescan=1\r\n") +
                                       Application("Rescans", 2, "Second", "Rescan=1\r\n"),
                                   2);
    StoreRecord(disc, L"1");
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);

    // The resumed run installs the first item and re-scans: the second is offered and checked.
    std::wstring rows;
    for (int i = 0; i < 600 && (rows = DescribeRows(ReadListRows(GetDlgItem(window, 1007)))) != L"Second[x]"; ++i) {
        ASSERT_EQ(WaitForQuestion(program, 0), nullptr) << "a message box instead of the re-scan";
        Sleep(100);
    }
    ASSERT_EQ(rows, L"Second[x]");
    EXPECT_FALSE(RegistryKeyExists(kRecordKey));

    Click(window, kDefaultButton);
    EXPECT_EQ(WaitForQuestion(program, 3000), nullptr) << "Default shows the list, nothing else";
    EXPECT_EQ(DescribeRows(ReadListRows(GetDlgItem(window, 1007))), L"Second[x]");

    ASSERT_EQ(ClickStartAndAnswer(program, window), L"Install now?");

    // The second re-scan: everything is installed, shown greyed in the advanced view.
    for (int i = 0; i < 600 && (rows = Statuses(window)) != L"First:Installed | Second:Installed"; ++i) {
        ASSERT_EQ(WaitForQuestion(program, 0), nullptr) << "a message box instead of the second re-scan";
        Sleep(100);
    }
    EXPECT_EQ(rows, L"First:Installed | Second:Installed");
    Click(window, kDefaultButton);
    EXPECT_EQ(WaitForQuestion(program, 3000), nullptr) << "no stray message after the second re-scan";
    EXPECT_TRUE(program.Close());
}

// The restart command runs from the system folder: a recorder there sees any restart.
bool WatchTheRestartCommand() {
    if (!PlaceRecorderAt(SystemFolder() + L"\\shutdown.exe")) return false;
    ForgetRecordedStart(L"shutdown");
    return true;
}

// Starts the installation of the checked rows and answers "Install now?" with Yes; the main
// window, or null when the window or the question did not come.
HWND StartTheRun(const RunningProgram& program) {
    HWND window = program.WaitForMainWindow();
    if (window == nullptr) return nullptr;
    return ClickStartAndAnswer(program, window) == L"Install now?" ? window : nullptr;
}

// The same, then the next message box: what the user is told about the run, or null.
HWND StartTheRunAndTakeTheNextBox(const RunningProgram& program) {
    return StartTheRun(program) != nullptr ? WaitForQuestion(program) : nullptr;
}

// The helper copy, the RunOnce value or the record can fail; Windows used to restart anyway and
// the rest of the list was lost without a word.
TEST_F(RunGuard, ARestartWhoseResumeCannotBeStoredDoesNotRestart) {
    const TestDisc disc = MakeDisc(L"guard-no-helper",
                                   Application("NoHelper", 1, "First", "Restart=1\r\n") +
                                       Application("NoHelper", 2, "Second") + Application("NoHelper", 3, "Third"),
                                   3, /*withHelper=*/false);
    ASSERT_TRUE(WatchTheRestartCommand());
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND told = StartTheRunAndTakeTheNextBox(program);
    ASSERT_NE(told, nullptr);
    const std::wstring text = MessageBoxText(told);
    EXPECT_NE(text.find(L"Windows is not restarted"), std::wstring::npos) << Narrow(text);
    EXPECT_NE(text.find(L"\n    Second\n    Third\n"), std::wstring::npos) << Narrow(text);
    EXPECT_NE(text.find(L"start this disc again"), std::wstring::npos) << Narrow(text);
    EXPECT_EQ(WaitForRecordedStart(L"shutdown", 0), L"") << "no restart";
    Answer(told, IDOK);
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_EQ(WaitForRecordedStart(L"shutdown", 0), L"") << "no restart";
    EXPECT_EQ(StoredWaitingList(), L"2@3") << "the record stays for the next start of the disc";
    EXPECT_EQ(ReadRegistryString(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce", L"Tavelin"), L"<no value>");
}

// A restart whose record cannot be written: the helper would start nothing after the restart.
TEST_F(RunGuard, ARestartWhoseRecordCannotBeWrittenDoesNotRestart) {
    const TestDisc disc = MakeDisc(L"guard-locked-record",
                                   Application("Locked", 1, "First", "Restart=1\r\n") +
                                       Application("Locked", 2, "Second"),
                                   2);
    ASSERT_TRUE(WatchTheRestartCommand());
    ASSERT_TRUE(LockRecord(L""));
    if (!LockedRecordRefusesWrites()) GTEST_SKIP() << "this registry does not hold a key to its access list";
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND told = StartTheRunAndTakeTheNextBox(program);
    ASSERT_NE(told, nullptr);
    const std::wstring text = MessageBoxText(told);
    EXPECT_NE(text.find(L"Windows is not restarted"), std::wstring::npos) << Narrow(text);
    EXPECT_NE(text.find(L"\n    Second\n"), std::wstring::npos) << Narrow(text);
    Answer(told, IDOK);
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_EQ(WaitForRecordedStart(L"shutdown", 0), L"") << "no restart";
    EXPECT_EQ(ReadRegistryString(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce", L"Tavelin"), L"<no value>")
        << "no helper left to run without a record";
}

// Closing used to end the process at once, the installer running on alone and the rest of the
// list lost. Now it asks; No goes on, Yes stops after the running item and keeps the rest.
TEST_F(RunGuard, ClosingDuringARunAsksAndStopsAfterTheCurrentItem) {
    const TestDisc disc = MakeDisc(L"guard-close",
                                   Application("Close", 1, "First", "", 6000) + Application("Close", 2, "Second") +
                                       Application("Close", 3, "Third"),
                                   3);
    {
        RunningProgram program(disc.ProgramPath(), L"setup.exe");
        HWND window = StartTheRun(program);
        ASSERT_NE(window, nullptr);
        Sleep(1000);

        PostMessageW(window, WM_CLOSE, 0, 0);
        HWND ask = WaitForQuestion(program, 10000);
        ASSERT_NE(ask, nullptr) << "closed without asking";
        EXPECT_EQ(MessageBoxText(ask).rfind(L"An installation is running.", 0), 0u) << Narrow(MessageBoxText(ask));
        Answer(ask, IDNO);
        EXPECT_FALSE(program.HasEnded());

        PostMessageW(window, WM_CLOSE, 0, 0);
        ask = WaitForQuestion(program, 10000);
        ASSERT_NE(ask, nullptr);
        Answer(ask, IDYES);
        EXPECT_FALSE(program.HasEnded()) << "the running installer is waited for";
        EXPECT_EQ(InstalledVersion("Close", 1), L"<no key>");
        EXPECT_TRUE(program.WaitForExit(60000));
    }
    EXPECT_EQ(InstalledVersion("Close", 1), L"2.0") << "the item that ran was finished";
    EXPECT_EQ(InstalledVersion("Close", 2), L"<no key>");
    EXPECT_EQ(StoredWaitingList(), L"2@3");

    ExpectTheResumedRunEndsAskingReboot(disc, L"Second:Done | Third:Done");
}

const wchar_t kRunOnce[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// A restart closes whatever the user has open, so the window asks first. No keeps everything for
// the next restart and ends the program; a start before that restart resumes nothing and offers
// the restart again; the start after it resumes.
TEST_F(RunGuard, TheRestartQuestionsNoKeepsTheRecordAndRunOnceAndEnds) {
    const TestDisc disc = MakeDisc(L"guard-restart-no",
                                   Application("RestartNo", 1, "First", "Restart=1\r\n") +
                                       Application("RestartNo", 2, "Second") + Application("RestartNo", 3, "Third"),
                                   3);
    ASSERT_TRUE(WatchTheRestartCommand());
    {
        RunningProgram program(disc.ProgramPath(), L"setup.exe");
        HWND ask = StartTheRunAndTakeTheNextBox(program);
        ASSERT_NE(ask, nullptr);
        EXPECT_EQ(MessageBoxText(ask), L"Windows must restart to finish installing. Restart now?");
        Answer(ask, IDNO);
        EXPECT_TRUE(program.WaitForExit(30000)) << "No ends the program";
        EXPECT_EQ(program.ExitCode(), 3010u);
    }
    EXPECT_EQ(WaitForRecordedStart(L"shutdown", 0), L"") << "no restart";
    EXPECT_EQ(InstalledVersion("RestartNo", 1), L"2.0");
    EXPECT_EQ(StoredWaitingList(), L"2@3");
    EXPECT_NE(ReadRegistryString(kRunOnce, L"Tavelin").find(L"ReInst.exe"), std::wstring::npos);

    {
        RunningProgram early(disc.ProgramPath(), L"setup.exe");
        HWND ask = WaitForQuestion(early);
        ASSERT_NE(ask, nullptr);
        EXPECT_EQ(MessageBoxText(ask), L"Windows must restart to finish installing. Restart now?");
        Answer(ask, IDNO);
        EXPECT_TRUE(early.WaitForExit(30000));
        EXPECT_EQ(early.ExitCode(), 3010u);
    }
    EXPECT_EQ(InstalledVersion("RestartNo", 2), L"<no key>") << "nothing resumes before the restart";
    EXPECT_EQ(StoredWaitingList(), L"2@3");

    ForgetPendingRestart();
    ExpectTheResumedRunEndsAskingReboot(disc, L"Second:Done | Third:Done");
    EXPECT_EQ(WaitForRecordedStart(L"shutdown", 0), L"");
}

// One driver that needs a restart, last in the list: a quiet run restarts Windows and says so.
TEST_F(RunGuard, AQuietRunRestartsForItsLastItem) {
    const TestDisc disc = MakeDisc(L"guard-quiet-last",
                                   Application("QuietLast", 1, "First") +
                                       Application("QuietLast", 2, "Second", "Restart=1\r\n"),
                                   2);
    ASSERT_TRUE(WatchTheRestartCommand());
    RunningProgram program(disc.ProgramPath(), L"setup.exe /quiet");
    EXPECT_TRUE(program.EndsWithoutShowingAnyWindow(60000));
    EXPECT_EQ(program.ExitCode(), 1641u);
    EXPECT_EQ(WaitForRecordedStart(L"shutdown", 0), L"shutdown -r -t 15");
    EXPECT_EQ(InstalledVersion("QuietLast", 2), L"2.0");
    EXPECT_FALSE(RegistryKeyExists(kRecordKey)) << "nothing waits for the restart";
}

// The user's choice for a record another disc left: Yes installs this disc's items of its numbers.
TEST_F(RunGuard, ARecordOfAnotherDiscIsResumedOnlyWhenTheUserSaysSo) {
    const TestDisc disc = MakeDisc(L"guard-other-disc",
                                   Application("Other", 1, "First") + Application("Other", 2, "Second"), 2);
    for (const int answer : {IDNO, IDYES}) {
        StoreRecord(disc, L"2");
        SetRegistryString(kRecordKey, L"DiscIdentity", std::wstring(64, L'0'));
        RunningProgram program(disc.ProgramPath(), L"setup.exe");
        HWND ask = WaitForQuestion(program);
        ASSERT_NE(ask, nullptr);
        const std::wstring text = MessageBoxText(ask);
        EXPECT_EQ(text.rfind(L"Items of another driver disc are waiting to be installed.", 0), 0u) << Narrow(text);
        EXPECT_NE(text.find(L"\n    Second\n"), std::wstring::npos) << Narrow(text);
        Answer(ask, answer);
        if (answer == IDNO) {
            HWND window = program.WaitForMainWindow();
            ASSERT_NE(window, nullptr);
            EXPECT_EQ(InstalledVersion("Other", 2), L"<no key>");
            EXPECT_EQ(StoredWaitingList(), L"2") << "left in place";
            EXPECT_TRUE(program.Close());
            continue;
        }
        HWND reboot = WaitForQuestion(program);
        ASSERT_NE(reboot, nullptr);
        EXPECT_EQ(Statuses(program.FindMainWindow()), L"First: | Second:Done");
        Answer(reboot, IDNO);
        EXPECT_TRUE(program.WaitForExit());
    }
    EXPECT_EQ(InstalledVersion("Other", 1), L"<no key>");
    EXPECT_FALSE(RegistryKeyExists(kRecordKey));
}

// The completion codes acted at once: "Reboot?" while an installer ran. Start during a run killed
// the worker. Both now wait for the run's own end, which is answered once.
TEST_F(RunGuard, CodesPostedDuringARunWaitForItsEnd) {
    const TestDisc disc =
        MakeDisc(L"guard-codes", Application("Codes", 1, "First", "", 5000) + Application("Codes", 2, "Second"), 2);
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND window = StartTheRun(program);
    ASSERT_NE(window, nullptr);
    Sleep(1000);

    PostMessageW(window, kUmInternal, 1028, 0);
    PostMessageW(window, kUmInternal, 1029, 0);
    Click(window, kStartButton);
    EXPECT_EQ(WaitForProgramDialog(program, [](HWND) { return true; }, 2000), nullptr)
        << "nothing shown while the installer runs";
    EXPECT_EQ(InstalledVersion("Codes", 1), L"<no key>") << "the installer is still running";

    HWND reboot = WaitForQuestion(program);
    ASSERT_NE(reboot, nullptr);
    EXPECT_EQ(MessageBoxText(reboot), L"Reboot?");
    EXPECT_EQ(Statuses(window), L"First:Done | Second:Done");
    Answer(reboot, IDNO);
    EXPECT_TRUE(program.WaitForExit());
}

}  // namespace
}  // namespace tavelin::testing
