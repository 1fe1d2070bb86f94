// Installers that would stall the run or outrun it, with the real program: a bootstrapper whose
// child goes on working, an installer that never ends under a time limit, and another
// installation holding Windows Installer. The installers are tests/doubles/supervised_installer.exe,
// which notes what it saw under SOFTWARE\TavelinTestRecord.
#include <gtest/gtest.h>

#include <string>

#include "driver/list_reader.h"
#include "driver/program_dialogs.h"
#include "driver/program_driver.h"
#include "driver/sample_disc.h"
#include "driver/test_registry.h"
#include "platform/handles.h"
#include "../support/file_contents_win.h"

namespace tavelin::testing {
namespace {

const wchar_t kRecordKey[] = L"SOFTWARE\\TavelinTestRecord";

std::wstring SupervisedInstaller() {
    return PathFromEnvironment("TAVELIN_BUILD_DIR") + L"\\doubles\\supervised_installer.exe";
}

// An application whose installer is the supervised installer with `arguments`.
std::string Item(int number, const std::string& title, const std::string& arguments, const std::string& extra = "") {
    return "[Item_" + std::to_string(number) + "]\r\nType=OPTIONAL_APPLICATION\r\nTitle_ENG=" + title +
           "\r\nVersion=2.0\r\nVersion_Path=SOFTWARE\\TavelinSupervisionTest\\" + title +
           "\\Version\r\nSlient_Install_Cmd=\\Apps\\Test\\Setup.exe%%" + arguments + "\r\n" + extra;
}

// An application the sample installer installs for real.
std::string SampleItem(int number, const std::string& title) {
    return SampleApplication(number, title, "SOFTWARE\\TavelinSupervisionTest\\" + title, 100);
}

TestDisc MakeDisc(const std::wstring& name, const std::string& items, int quantity) {
    TestDisc disc = MakeSampleDisc(name, "Supervision Disc", 0, items, quantity, "", RestartHelper::None);
    disc.CopyIn(SupervisedInstaller(), L"Apps\\Test\\Setup.exe");
    return disc;
}

std::wstring Noted(const std::wstring& name) { return ReadRegistryString(kRecordKey, name.c_str()); }

bool ProcessIsGone(const std::wstring& pidText) {
    UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, std::wcstoul(pidText.c_str(), nullptr, 10)));
    return !process || WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0;
}

// (a) The first installer starts a child that works 4 s and exits at once: the second installer
// must find the child's work done when it starts.
TEST(Supervision, TheNextInstallerStartsOnlyAfterWhatTheLastOneStartedHasEnded) {
    const TestDisc disc = MakeDisc(L"supervision-child",
                                   Item(1, "Bootstrapper", "/child 4 BootstrapWork") +
                                       Item(2, "Follower", "/expect BootstrapWork"),
                                   2);
    RunningProgram program(disc.ProgramPath(), L"setup.exe /quiet");
    EXPECT_TRUE(program.EndsWithoutShowingAnyWindow(60000));
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_EQ(Noted(L"BootstrapWork"), L"ended");
    EXPECT_EQ(Noted(L"BootstrapWork at start"), L"ended") << "the second installer started while the child worked";
}

// (b) An installer that never ends, with a child that never ends either, under Install_Timeout=5:
// both are ended, the row fails, the next item runs, and /quiet says 1603 within a minute.
TEST(Supervision, AnInstallerPastItsTimeLimitIsEndedAndTheRunGoesOn) {
    const TestDisc disc = MakeDisc(L"supervision-timeout",
                                   Item(1, "Hanging", "/hang-child QuietHang /hang QuietHang", "Install_Timeout=5\r\n") +
                                       SampleItem(2, "AfterHang"),
                                   2);
    const std::wstring log = disc.DiscRoot() + L"\\..\\supervision-timeout.log";
    const DWORD start = GetTickCount();
    RunningProgram program(disc.ProgramPath(), L"setup.exe /quiet /log \"" + log + L"\"");
    ASSERT_TRUE(program.WaitForExit(60000)) << "the run ends within a minute";
    EXPECT_LT(GetTickCount() - start, 60000u);
    EXPECT_EQ(program.ExitCode(), 1603u);
    const std::wstring parent = Noted(L"QuietHang pid");
    const std::wstring child = Noted(L"QuietHang-child pid");
    ASSERT_NE(parent, L"<no value>");
    ASSERT_NE(child, L"<no value>");
    EXPECT_TRUE(ProcessIsGone(parent));
    EXPECT_TRUE(ProcessIsGone(child)) << "no process of the installer is left";
    EXPECT_EQ(ReadRegistryString(L"SOFTWARE\\TavelinSupervisionTest\\AfterHang", L"Version"), L"2.0") << "the next item ran";
    const std::string text = ReadFileBytes(log);
    EXPECT_NE(text.find("Item 1: time limit 5 s (Install_Timeout of the item)"), std::string::npos) << text;
    EXPECT_NE(text.find("Item 1: install timed out after 5 s (Install_Timeout of the item), its processes ended: \""),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Item 1: row 1 result Failed"), std::string::npos) << text;
    EXPECT_NE(text.find("Item 2: row 2 result Done"), std::string::npos) << text;
}

// The same in the window, with the limit given by the administrator's switch: the row reads Failed.
TEST(Supervision, TheRowOfAnInstallerEndedByTheSwitchsLimitReadsFailed) {
    const TestDisc disc = MakeDisc(L"supervision-switch",
                                   Item(1, "Hanging", "/hang WindowHang") + SampleItem(2, "AfterSwitch"), 2);
    RunningProgram program(disc.ProgramPath(), L"setup.exe /timeout 3");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(ClickStartAndAnswer(program, window), L"Install now?");
    HWND reboot = WaitForQuestion(program, 60000);
    ASSERT_NE(reboot, nullptr);
    EXPECT_EQ(Statuses(window), L"Hanging:Failed | AfterSwitch:Done");
    SaveScreenshot(window, L"supervision-switch");
    EXPECT_TRUE(ProcessIsGone(Noted(L"WindowHang pid")));
    Answer(reboot, IDNO);
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 1603u);
}

// (c) Another installation holds Windows Installer for a few seconds: no installer starts before
// it lets go, then the run goes on and ends well.
TEST(Supervision, NoInstallerStartsWhileAnotherInstallationHoldsWindowsInstaller) {
    const TestDisc disc = MakeDisc(L"supervision-msi", Item(1, "Patient", "/expect msi"), 1);
    const std::wstring log = disc.DiscRoot() + L"\\..\\supervision-msi.log";
    std::wstring holderCommand = L"\"" + SupervisedInstaller() + L"\" /hold-msi 6";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(CreateProcessW(nullptr, &holderCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started));
    UniqueHandle holder(started.hProcess);
    UniqueHandle holderThread(started.hThread);
    std::wstring state;
    for (int i = 0; i < 200 && (state = Noted(L"msi")) != L"held"; ++i) Sleep(50);
    ASSERT_EQ(state, L"held");

    RunningProgram program(disc.ProgramPath(), L"setup.exe /quiet /log \"" + log + L"\"");
    EXPECT_TRUE(program.EndsWithoutShowingAnyWindow(60000));
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_EQ(Noted(L"msi at start"), L"released") << "the installer started while Windows Installer was held";
    const std::string text = ReadFileBytes(log);
    EXPECT_NE(text.find("Item 1: install waits before it starts: another installation holds Windows Installer"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Item 1: install: Windows Installer is free after "), std::string::npos) << text;
    EXPECT_EQ(WaitForSingleObject(holder.Get(), 10000), WAIT_OBJECT_0);
}

const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// A process the installers left, ended with the test whatever it found: the group shares one
// machine.
class LeftBehind {
public:
    explicit LeftBehind(const std::wstring& name)
        : m_process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE,
                                std::wcstoul(Noted(name + L" pid").c_str(), nullptr, 10))) {}
    ~LeftBehind() {
        if (m_process) TerminateProcess(m_process.Get(), 0);
    }
    bool Running() const { return m_process && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT; }

private:
    UniqueHandle m_process;
};

void DeleteRunValue(HKEY root, REGSAM view, const wchar_t* name) {
    UniqueKey key;
    if (RegOpenKeyExW(root, kRunKey, 0, KEY_SET_VALUE | view, key.Receive()) == ERROR_SUCCESS) {
        RegDeleteValueW(key.Get(), name);
    }
}

// An installer whose last act is to start its tray utility, registered to start at every logon,
// keeps its job active for ever: with no time limit the run waited for it for ever. Now the
// utility is left running once the installer's own process has ended, wherever it is registered,
// and the row is the installer's own result.
TEST(Supervision, AResidentProgramAnInstallerRegisteredIsLeftRunning) {
    struct Case {
        const char* name;
        const char* where;
        HKEY root;
        REGSAM view;
        const char* logged;
    };
    const Case cases[] = {
        {"TrayMachine32", "machine32", HKEY_LOCAL_MACHINE, RegistryViewFlag(RegistryView::View32),
         "started at every logon by HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run (32-bit view) \"TrayMachine32\""},
        {"TrayMachine64", "machine64", HKEY_LOCAL_MACHINE, RegistryViewFlag(RegistryView::View64),
         "\"TrayMachine64\""},
        {"TrayUser", "user", HKEY_CURRENT_USER, 0,
         "started at every logon by HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run \"TrayUser\""},
    };
    std::string items;
    int number = 0;
    for (const Case& c : cases) {
        ++number;
        items += Item(number, c.name, std::string("/resident ") + c.name + " " + c.where + " /exit 7",
                      "Success_Exit_Codes=7\r\n");
    }
    items += SampleItem(++number, "AfterTray");
    const TestDisc disc = MakeDisc(L"supervision-resident", items, number);
    const std::wstring log = disc.DiscRoot() + L"\\..\\supervision-resident.log";
    RunningProgram program(disc.ProgramPath(), L"setup.exe /quiet /log \"" + log + L"\"");
    const bool ended = program.WaitForExit(90000);
    const std::string text = ReadFileBytes(log);
    for (const Case& c : cases) {
        const LeftBehind tray(Widen(c.name));
        EXPECT_TRUE(tray.Running()) << c.name << " is left running";
        DeleteRunValue(c.root, c.view, Widen(c.name).c_str());
    }
    ASSERT_TRUE(ended) << "the run waited for the utilities\n" << text;
    EXPECT_EQ(program.ExitCode(), 0u);
    number = 0;
    for (const Case& c : cases) {
        const std::string item = "Item " + std::to_string(++number);
        const std::size_t line =
            text.find(item + ": install: left running: C:\\tavelin-tests\\supervision-resident\\Apps\\Test\\" + c.name +
                      ".exe (process ");
        ASSERT_NE(line, std::string::npos) << c.name << "\n" << text;
        EXPECT_NE(text.find(c.logged, line), std::string::npos) << c.name << "\n" << text;
        EXPECT_NE(text.find(item + ": install ended, exit code 7", line), std::string::npos) << "its own code\n" << text;
        EXPECT_NE(text.find(item + ": row " + std::to_string(number) + " result Done", line), std::string::npos) << text;
    }
    EXPECT_EQ(ReadRegistryString(L"SOFTWARE\\TavelinSupervisionTest\\AfterTray", L"Version"), L"2.0") << "the next item ran";
}

// A process the installer started and registered nowhere is a hand-off still at work: it is
// waited for, and only the time limit ends it.
TEST(Supervision, AProcessLeftWithoutARegistrationIsStillWaitedFor) {
    const TestDisc disc = MakeDisc(L"supervision-stray", Item(1, "Stray", "/leave Stray", "Install_Timeout=6\r\n"), 1);
    const std::wstring log = disc.DiscRoot() + L"\\..\\supervision-stray.log";
    RunningProgram program(disc.ProgramPath(), L"setup.exe /quiet /log \"" + log + L"\"");
    ASSERT_TRUE(program.WaitForExit(60000));
    EXPECT_EQ(program.ExitCode(), 1603u);
    const LeftBehind stray(L"Stray");
    EXPECT_FALSE(stray.Running()) << "ended with the time limit";
    const std::string text = ReadFileBytes(log);
    EXPECT_NE(text.find("Item 1: install: its own process ended; waiting for the processes it started: "),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Item 1: install timed out after 6 s"), std::string::npos) << text;
    EXPECT_EQ(text.find("left running"), std::string::npos) << text;
}

}  // namespace
}  // namespace tavelin::testing
