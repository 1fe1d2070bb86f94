// The Win32 side of the installation run under Wine: real processes started and awaited in slices,
// the install marker in a real uninstall key, the sample installer's registry traces as detection
// reads them, and the worker thread with its bridge to a window of the test's thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "evaluate/driver_registry_lookup.h"
#include "install/install_marker_win.h"
#include "install/install_worker_win.h"
#include "install/process_launcher_win.h"
#include "platform/handles.h"
#include "platform/registry_win.h"
#include "../support/memory_run_log.h"
#include "standin_test_support.h"

namespace tavelin {
namespace {

using testing::DeleteKeyTree;
using testing::kProgramView;
using testing::Narrow;

std::wstring SystemFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    GetSystemDirectoryW(path, MAX_PATH + 1);
    return path;
}

// The disc the build assembled (its Lib folder is TAVELIN_STANDIN_DIR); empty when not given.
std::wstring BuiltDiscRoot() { return testing::StandinDiscRoot(); }

#define REQUIRE_BUILT_DISC()                                                                 \
    if (BuiltDiscRoot().empty()) GTEST_SKIP() << "set TAVELIN_STANDIN_DIR to the built disc's Lib folder"

std::wstring SampleInstaller() { return BuiltDiscRoot() + L"\\Drivers\\Chipset\\Setup.exe"; }

// A key name of this process, so that tests running side by side do not meet.
std::wstring UniqueName(const wchar_t* stem) { return stem + std::to_wstring(GetCurrentProcessId()); }

bool KeyExists(const std::wstring& path) {
    UniqueKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | kProgramView, key.Receive()) == ERROR_SUCCESS;
}

struct Slices {
    int stillRunning = 0;
    WaitResult last = WaitResult::Failed;
};
Slices WaitCounting(StartedProcess& process) {
    Slices slices;
    for (int i = 0; i < 60; ++i) {
        slices.last = process.WaitSlice(1000);
        if (slices.last != WaitResult::StillRunning) break;
        ++slices.stillRunning;
    }
    return slices;
}

TEST(InstallProcess, StartsAndWaitsForARealProgram) {
    Win32ProcessLauncher launcher;
    auto process = launcher.Start(L"\"" + SystemFolder() + L"\\cmd.exe\" /c exit 3");
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(static_cast<int>(WaitCounting(*process).last), static_cast<int>(WaitResult::Ended));
    EXPECT_EQ(process->ExitCode(), std::optional<std::uint32_t>(3)) << "the code the log gets";
}

TEST(InstallProcess, ProgramThatDoesNotExistIsNotStarted) {
    Win32ProcessLauncher launcher;
    EXPECT_EQ(launcher.Start(L"\"C:\\no such folder\\Setup.exe\" -s"), nullptr);
    EXPECT_EQ(launcher.Start(L"\"" + SystemFolder() + L"\""), nullptr);  // a folder is no program
}

TEST(InstallProcess, MissingWorkingFolderLeavesTheCurrentDirectory) {
    wchar_t before[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH + 1, before);
    Win32ProcessLauncher launcher;
    EXPECT_FALSE(launcher.ChangeCurrentDirectory(L"C:\\no such folder"));
    wchar_t after[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH + 1, after);
    EXPECT_EQ(std::wstring(after), std::wstring(before));
    EXPECT_TRUE(launcher.ChangeCurrentDirectory(SystemFolder()));
    GetCurrentDirectoryW(MAX_PATH + 1, after);
    EXPECT_EQ(_wcsicmp(after, SystemFolder().c_str()), 0) << Narrow(after);
    SetCurrentDirectoryW(before);
}

TEST(InstallMarker, WrittenIntoAnExistingUninstallKeyOnly) {
    const std::wstring existing = UninstallKeyPathOf(UniqueName(L"{TavelinMarkerTest-"));
    const std::wstring missing = UninstallKeyPathOf(UniqueName(L"{TavelinMissingKey-"));
    {
        UniqueKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, existing.c_str(), 0, nullptr, 0, KEY_WRITE | kProgramView, nullptr,
                                  key.Receive(), nullptr),
                  ERROR_SUCCESS);
    }
    Win32InstallMarkerWriter writer;
    writer.WriteInstallMarker(existing, L"2.1.0");
    writer.WriteInstallMarker(missing, L"2.1.0");

    UniqueKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, existing.c_str(), 0, KEY_READ | kProgramView, key.Receive()), ERROR_SUCCESS);
    wchar_t data[64] = {};
    DWORD type = 0;
    DWORD size = sizeof data;
    ASSERT_EQ(RegQueryValueExW(key.Get(), kInstallMarkerValueName, nullptr, &type, reinterpret_cast<BYTE*>(data),
                               &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(size, 6u * sizeof(wchar_t)) << "the terminating null is part of the value";
    EXPECT_EQ(std::wstring(data), L"2.1.0");
    key.Reset();
    EXPECT_FALSE(KeyExists(missing)) << "a missing uninstall key is not created";
    DeleteKeyTree(HKEY_LOCAL_MACHINE, existing);
}

// The sample installer takes its time and leaves what driver detection reads.
TEST(SampleInstaller, InstallsAndRemovesADriverAsDetectionSeesIt) {
    REQUIRE_BUILT_DISC();
    const std::wstring device = L"TAVPCI\\" + UniqueName(L"VEN_7A7A&DEV_");
    const std::wstring driverKey = L"{8E3F2A61-7C4B-4D5E-A1F9-2B6C0D7E5A30}\\" + UniqueName(L"9");
    const std::wstring quoted = L"\"" + SampleInstaller() + L"\"";
    Win32Registry registry;

    auto install = StartProcess(quoted + L" /driver " + device + L" " + driverKey + L" 8.3.0.1011 10-18-2006 \"Tavelin Demo\"");
    ASSERT_NE(install, nullptr);
    const Slices slices = WaitCounting(*install);
    EXPECT_GE(slices.stillRunning, 1) << "the installer takes more than one slice";
    const InstalledDriverRecord installed = ReadInstalledDriver(registry, device);
    EXPECT_EQ(static_cast<int>(installed.failure), static_cast<int>(DriverLookupFailure::None)) << Narrow(installed.failedPath);
    EXPECT_EQ(installed.version, L"8.3.0.1011");
    EXPECT_EQ(installed.date, L"10-18-2006");
    EXPECT_EQ(installed.provider, L"Tavelin Demo");

    auto remove = StartProcess(quoted + L" /delay 0 /remove-driver " + device + L" " + driverKey);
    ASSERT_NE(remove, nullptr);
    WaitCounting(*remove);
    EXPECT_EQ(static_cast<int>(ReadInstalledDriver(registry, device).failure),
              static_cast<int>(DriverLookupFailure::DriverValue));

    DeleteKeyTree(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Enum\\" + device.substr(0, device.find(L'\\')));
}

TEST(SampleInstaller, SetsAndRemovesApplicationKeys) {
    REQUIRE_BUILT_DISC();
    const std::wstring app = L"SOFTWARE\\" + UniqueName(L"Tavelin Sample ");
    const std::wstring quoted = L"\"" + SampleInstaller() + L"\" /delay 0";
    auto install = StartProcess(quoted + L" /set \"" + app + L"\" Version 2.1.0 /key \"" + app + L"\\1.5\"");
    ASSERT_NE(install, nullptr);
    WaitCounting(*install);
    {
        UniqueKey key;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, app.c_str(), 0, KEY_READ | kProgramView, key.Receive()), ERROR_SUCCESS);
        wchar_t data[32] = {};
        DWORD size = sizeof data;
        ASSERT_EQ(RegQueryValueExW(key.Get(), L"Version", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(std::wstring(data), L"2.1.0");
        EXPECT_TRUE(KeyExists(app + L"\\1.5"));
    }
    auto remove = StartProcess(quoted + L" /remove \"" + app + L"\"");
    ASSERT_NE(remove, nullptr);
    WaitCounting(*remove);
    EXPECT_FALSE(KeyExists(app));
}

// The dialog's side of a run, on the test's thread: records every call and the thread it came on.
class RecordingUi : public InstallRunUi, public InstallList {
public:
    explicit RecordingUi(std::vector<int> checks) : m_checks(std::move(checks)) {}

    InstallList& RunList() override { return Note("list"), *this; }
    void SetDescription(const std::wstring& text) override { Note("description " + Narrow(text)); }
    int RowCount() override { return static_cast<int>(m_checks.size()); }
    int GetRowCheck(int row) override { return m_checks.at(row); }
    void SetRowEnabled(int, bool) override {}
    void StartRowProgress(int row, const std::wstring&) override { Note("progress " + std::to_string(row)); }
    void SetRowProgress(int row, int percent) override { positions.push_back({row, percent}); }
    void StopRowProgress(int) override {}
    void SetCellText(int row, int, const std::wstring& text) override {
        Note("text " + std::to_string(row) + " " + Narrow(text));
    }
    void SetCellBold(int, int) override {}

    void Note(const std::string& call) {
        calls.push_back(call);
        if (GetCurrentThreadId() != m_thread) ++callsOffTheUiThread;
        if (detached) ++callsAfterDetach;
    }
    bool Called(const std::string& call) const {
        for (const auto& c : calls) {
            if (c == call) return true;
        }
        return false;
    }

    std::vector<int> m_checks;
    std::vector<std::pair<int, int>> positions;  // row and percent of each bar position set
    DWORD m_thread = GetCurrentThreadId();
    std::vector<std::string> calls;
    int callsOffTheUiThread = 0;
    bool detached = false;
    int callsAfterDetach = 0;
};

// A plain window standing in for the dialog: it receives the final post and timer 1.
class StandInDialog {
public:
    StandInDialog() {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TavelinStandInDialog";
        RegisterClassW(&windowClass);
        m_window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   windowClass.hInstance, nullptr);
    }
    ~StandInDialog() { DestroyWindow(m_window); }
    HWND Get() const { return m_window; }

    // Serves the worker's calls until the predicate holds or the time is up; the posted code, if any.
    // Each tick of timer 1 calls onTick, as the dialog's timer handler does.
    template <typename Predicate>
    int PumpUntil(Predicate done, DWORD timeoutMs, const std::function<void()>& onTick = {}) {
        const DWORD start = GetTickCount();
        while (!done() && GetTickCount() - start < timeoutMs) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.hwnd == m_window && message.message == kUmInternal) m_posted = static_cast<int>(message.wParam);
                if (message.hwnd == m_window && message.message == WM_TIMER) {
                    ++m_ticks;
                    if (onTick) onTick();
                }
                DispatchMessageW(&message);
            }
        }
        return m_posted;
    }
    int m_posted = 0;
    int m_ticks = 0;

private:
    HWND m_window;
};

std::unique_ptr<CItem> CommandItem(int number, int row, const std::wstring& installCmd) {
    auto item = std::make_unique<CItem>();
    item->m_nItemNo = number;
    item->m_nListRow = row;
    item->m_nType = ITEM_TYPE_DRIVER;
    item->m_strInstallCmd = installCmd;
    item->m_strDescription = L"item " + std::to_wstring(number);
    return item;
}

InstallRunSettings Settings(const std::wstring& discRoot) {
    InstallRunSettings settings;
    settings.discRoot = discRoot;
    settings.texts = RunTexts{L"Installing", L"Done", L"Failed"};
    return settings;
}

TEST(InstallWorker, RunsOnItsThreadAndServesTheListOnTheUiThread) {
    StandInDialog dialog;
    RecordingUi ui({1, 0, 1});
    ItemList items;
    items.push_back(CommandItem(4, 0, L"\\cmd.exe%%/c exit 0"));
    items.push_back(CommandItem(5, 1, L"\\cmd.exe%%/c exit 0"));
    items.push_back(CommandItem(6, 2, L"\\no-such-program.exe"));
    items.push_back(CommandItem(7, 3, L"\\cmd.exe%%/c exit 5"));
    ui.m_checks.push_back(1);
    InstallWorker worker;
    ASSERT_NE(dialog.Get(), nullptr);
    MemoryRunLog memory;
    InstallRunSettings settings = Settings(SystemFolder());
    settings.log = std::shared_ptr<RunLog>(std::shared_ptr<void>(), &memory.Log());  // outlives the run here
    ASSERT_TRUE(worker.Start(dialog.Get(), ui, items, settings));
    items.clear();  // the worker has its own copy: the dialog may free or reload its catalogue

    const int code = dialog.PumpUntil([&] { return dialog.m_posted != 0; }, 20000);
    std::string seen;
    for (const auto& call : ui.calls) seen += call + "\n";
    EXPECT_EQ(code, WM_INSTALLATION_COMPLETE) << seen;
    RunOutcome outcome;
    ASSERT_TRUE(worker.TakeFinishedOutcome(outcome));
    EXPECT_EQ(outcome.code, WM_INSTALLATION_COMPLETE);
    EXPECT_FALSE(worker.TakeFinishedOutcome(outcome)) << "a run's end is taken once";
    EXPECT_TRUE(ui.Called("description item 4"));
    EXPECT_TRUE(ui.Called("text 0 Done"));
    EXPECT_FALSE(ui.Called("progress 1"));
    EXPECT_TRUE(ui.Called("text 2 Failed"));
    EXPECT_EQ(ui.callsOffTheUiThread, 0) << "every list call is served on the user-interface thread";
    EXPECT_EQ(WaitForSingleObject(worker.ThreadHandle(), 5000), WAIT_OBJECT_0);
    // The worker writes the run's log from its own thread, the installers' real exit codes in it.
    EXPECT_TRUE(memory.Has("Item 4: install ended, exit code 0")) << memory.Joined();
    EXPECT_TRUE(memory.Has("Item 6: install could not be started")) << memory.Joined();
    EXPECT_TRUE(memory.Has("Item 6: row 3 result Failed")) << memory.Joined();
    EXPECT_TRUE(memory.Has("Item 7: install ended, exit code 5")) << memory.Joined();
    EXPECT_TRUE(memory.Has("Item 7: row 4 result Done")) << memory.Joined();
    EXPECT_TRUE(memory.Has("Installation run ends: complete")) << memory.Joined();
}

HANDLE NoThread(LPTHREAD_START_ROUTINE, void*) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

// A start whose thread cannot be made is refused and leaves nothing behind: no run is announced,
// the list is not touched, and the next start with a thread runs as any other.
TEST(InstallWorker, AStartWithoutAThreadIsRefusedAndLeavesNothingBehind) {
    StandInDialog dialog;
    RecordingUi ui({1});
    ItemList items;
    items.push_back(CommandItem(4, 0, L"\\cmd.exe%%/c exit 0"));
    InstallWorker failing(NoThread);
    ASSERT_NE(dialog.Get(), nullptr);
    EXPECT_FALSE(failing.Start(dialog.Get(), ui, items, Settings(SystemFolder())));
    EXPECT_FALSE(failing.HasThread());
    EXPECT_FALSE(failing.IsRunning());
    dialog.PumpUntil([&] { return dialog.m_posted != 0; }, 500);
    EXPECT_EQ(dialog.m_posted, 0) << "no run was announced";
    RunOutcome outcome;
    EXPECT_FALSE(failing.TakeFinishedOutcome(outcome));
    EXPECT_TRUE(ui.calls.empty());

    InstallWorker working;
    ASSERT_TRUE(working.Start(dialog.Get(), ui, items, Settings(SystemFolder())));
    EXPECT_EQ(dialog.PumpUntil([&] { return dialog.m_posted != 0; }, 20000), WM_INSTALLATION_COMPLETE);
    EXPECT_TRUE(ui.Called("text 0 Done"));
    EXPECT_EQ(WaitForSingleObject(working.ThreadHandle(), 5000), WAIT_OBJECT_0);
}

TEST(InstallWorker, ClosingTheWindowDuringARunCutsTheWorkerOff) {
    REQUIRE_BUILT_DISC();
    StandInDialog dialog;
    auto ui = std::make_unique<RecordingUi>(std::vector<int>{1, 1});
    ItemList items;
    items.push_back(CommandItem(1, 0, L"\\Drivers\\Chipset\\Setup.exe%%/delay 2000 /key SOFTWARE\\" +
                                          UniqueName(L"TavelinWorkerTest")));
    items.push_back(CommandItem(2, 1, L"\\Drivers\\Chipset\\Setup.exe%%/delay 0 /key SOFTWARE\\" +
                                          UniqueName(L"TavelinWorkerTestSecond")));
    InstallWorker worker;
    ASSERT_NE(dialog.Get(), nullptr);
    ASSERT_TRUE(worker.Start(dialog.Get(), *ui, items, Settings(BuiltDiscRoot())));
    dialog.PumpUntil([&] { return ui->Called("progress 0"); }, 10000);
    ASSERT_TRUE(ui->Called("progress 0"));

    worker.Detach();  // what the dialog does when its window is destroyed
    ui->detached = true;
    // The worker ends after its current installer without reaching the dialog's objects.
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(worker.ThreadHandle(), 0) == WAIT_TIMEOUT && GetTickCount() - start < 20000) {
        dialog.PumpUntil([] { return false; }, 100);
    }
    EXPECT_EQ(WaitForSingleObject(worker.ThreadHandle(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(ui->callsAfterDetach, 0);
    EXPECT_TRUE(KeyExists(L"SOFTWARE\\" + UniqueName(L"TavelinWorkerTest"))) << "the running installer finished";
    EXPECT_FALSE(KeyExists(L"SOFTWARE\\" + UniqueName(L"TavelinWorkerTestSecond"))) << "no further row was started";
    DeleteKeyTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\" + UniqueName(L"TavelinWorkerTest"));
    DeleteKeyTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\" + UniqueName(L"TavelinWorkerTestSecond"));
}

// A second Start used to terminate the running worker, which may hold the heap's lock; it is
// refused now, and the first run goes on to its end untouched.
TEST(InstallWorker, AStartDuringARunIsRefusedAndTheRunGoesOn) {
    REQUIRE_BUILT_DISC();
    StandInDialog dialog;
    RecordingUi ui({1});
    const std::wstring key = L"SOFTWARE\\" + UniqueName(L"TavelinSecondStartTest");
    ItemList items;
    items.push_back(CommandItem(1, 0, L"\\Drivers\\Chipset\\Setup.exe%%/delay 1500 /key " + key));
    InstallWorker worker;
    ASSERT_NE(dialog.Get(), nullptr);
    ASSERT_TRUE(worker.Start(dialog.Get(), ui, items, Settings(BuiltDiscRoot())));
    dialog.PumpUntil([&] { return ui.Called("progress 0"); }, 10000);
    ASSERT_TRUE(worker.IsRunning());
    const HANDLE firstThread = worker.ThreadHandle();
    EXPECT_FALSE(worker.Start(dialog.Get(), ui, items, Settings(BuiltDiscRoot())));
    EXPECT_EQ(worker.ThreadHandle(), firstThread);
    EXPECT_EQ(dialog.PumpUntil([&] { return dialog.m_posted != 0; }, 20000), WM_INSTALLATION_COMPLETE);
    EXPECT_TRUE(ui.Called("text 0 Done")) << "the first run was not cut off";
    EXPECT_TRUE(KeyExists(key));
    EXPECT_EQ(WaitForSingleObject(worker.ThreadHandle(), 5000), WAIT_OBJECT_0);
    EXPECT_FALSE(worker.IsRunning());
    DeleteKeyTree(HKEY_LOCAL_MACHINE, key);
}

TEST(InstallWorker, TimerTicksAdvanceTheBarWhileAnInstallerRuns) {
    REQUIRE_BUILT_DISC();
    StandInDialog dialog;
    RecordingUi ui({1});
    ItemList items;
    items.push_back(CommandItem(1, 0, L"\\Drivers\\Chipset\\Setup.exe%%/delay 1600 /key SOFTWARE\\" +
                                          UniqueName(L"TavelinTimerTest")));
    InstallWorker worker;
    ASSERT_NE(dialog.Get(), nullptr);
    ASSERT_TRUE(worker.Start(dialog.Get(), ui, items, Settings(BuiltDiscRoot())));
    dialog.PumpUntil([&] { return dialog.m_posted != 0; }, 20000, [&] { worker.OnProgressTimer(ui); });
    EXPECT_GE(dialog.m_ticks, 2) << "timer 1 runs on the dialog while the installer is awaited";
    // Each tick moves the running row's bar on by one step.
    ASSERT_GE(ui.positions.size(), 3u);
    for (std::size_t i = 0; i < ui.positions.size(); ++i) {
        EXPECT_EQ(ui.positions[i].first, 0) << "position " << i << " is the running row's";
        if (i > 0) {
            EXPECT_EQ(ui.positions[i].second, ui.positions[i - 1].second + 1) << "position " << i;
        }
    }
    const int ticksAtEnd = dialog.m_ticks;
    dialog.PumpUntil([] { return false; }, 1200);
    EXPECT_EQ(dialog.m_ticks, ticksAtEnd) << "timer 1 is stopped when the row is done";
    DeleteKeyTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\" + UniqueName(L"TavelinTimerTest"));
}

}  // namespace
}  // namespace tavelin
