#include "install/installation_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "../support/memory_run_log.h"
#include "base/sha256.h"
#include "install/disc_presence.h"
#include "install/installer_seal.h"

namespace tavelin {
namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Every call of every service, in order, as one line each, so that tests can check sequences.
using Log = std::vector<std::string>;

std::string Joined(const Log& log) {
    std::string text;
    for (const std::string& line : log) text += line + "\n";
    return text;
}

bool ContainsLineStarting(const Log& log, const std::string& start) {
    for (const std::string& line : log) {
        if (line.compare(0, start.size(), start) == 0) return true;
    }
    return false;
}

bool Contains(const Log& log, const std::string& line) {
    for (const std::string& entry : log) {
        if (entry == line) return true;
    }
    return false;
}

class FakeList : public InstallList {
public:
    FakeList(Log& log, std::vector<int> checks) : m_log(log), m_checks(std::move(checks)), m_enabled(m_checks.size(), true) {}

    int RowCount() override { return static_cast<int>(m_checks.size()); }
    int GetRowCheck(int row) override { return m_checks.at(row); }
    void SetRowEnabled(int row, bool enabled) override { m_enabled.at(row) = enabled; }
    void StartRowProgress(int row, const std::wstring& caption) override {
        m_log.push_back("progress " + std::to_string(row) + " " + Narrow(caption));
    }
    void SetRowProgress(int row, int position) override {
        m_log.push_back("position " + std::to_string(row) + " " + std::to_string(position));
    }
    void StopRowProgress(int row) override { m_log.push_back("stop progress " + std::to_string(row)); }
    void SetCellText(int row, int column, const std::wstring& text) override {
        m_log.push_back("text " + std::to_string(row) + "," + std::to_string(column) + " " + Narrow(text));
    }
    void SetCellBold(int row, int column) override {
        m_log.push_back("bold " + std::to_string(row) + "," + std::to_string(column));
    }

    Log& m_log;
    std::vector<int> m_checks;
    std::vector<bool> m_enabled;
};

class FakeProcess : public StartedProcess {
public:
    FakeProcess(Log& log, std::vector<WaitResult> slices, std::optional<std::uint32_t> exitCode)
        : m_log(log), m_slices(std::move(slices)), m_exitCode(exitCode) {}
    ~FakeProcess() override { m_log.push_back("release"); }
    WaitResult WaitSlice(unsigned milliseconds) override {
        m_log.push_back("wait " + std::to_string(milliseconds));
        if (m_next >= m_slices.size()) return WaitResult::Ended;
        return m_slices[m_next++];
    }
    std::optional<std::uint32_t> ExitCode() override { return m_exitCode; }
    ProcessFollowing Following() override { return m_following; }
    void EndAll() override { m_log.push_back("end all"); }
    std::vector<std::wstring> VisibleWindowTitles() override { return m_titles; }
    // The answer of m_leftBehind for the slices waited so far; its last answer after that.
    std::optional<std::vector<LeftProcess>> ProcessesLeftBehind() override {
        if (m_leftBehind.empty()) return std::nullopt;
        return m_leftBehind[std::min(m_next, m_leftBehind.size()) - 1];
    }

    ProcessFollowing m_following{true, {}};
    std::vector<std::wstring> m_titles;
    std::vector<std::optional<std::vector<LeftProcess>>> m_leftBehind;

private:
    Log& m_log;
    std::vector<WaitResult> m_slices;
    std::size_t m_next = 0;
    std::optional<std::uint32_t> m_exitCode;
};

class FakeLauncher : public ProcessLauncher {
public:
    explicit FakeLauncher(Log& log) : m_log(log) {}
    std::unique_ptr<StartedProcess> Start(const std::wstring& commandLine) override {
        m_log.push_back("start " + Narrow(commandLine));
        if (m_failing.count(commandLine) != 0) return nullptr;
        const auto code = m_exitCodes.find(commandLine);
        auto process = std::make_unique<FakeProcess>(
            m_log, m_slices, code != m_exitCodes.end() ? code->second : std::optional<std::uint32_t>(0));
        process->m_following = m_following;
        process->m_titles = m_titles;
        process->m_leftBehind = m_leftBehind;
        return process;
    }
    bool ChangeCurrentDirectory(const std::wstring& folder) override {
        m_log.push_back("cd " + Narrow(folder));
        return m_missingFolders.count(folder) == 0;
    }

    std::unique_ptr<StartedProcess> StartSealed(const std::wstring& commandLine, const std::wstring& programPath,
                                                const Sha256Digest& expected, SealVerdict& verdict) override {
        const auto file = m_files.find(programPath);
        verdict = JudgeSeal(expected, file != m_files.end() ? std::optional<Sha256Digest>(file->second) : std::nullopt);
        m_log.push_back("sealed " + Narrow(programPath) + " " + Narrow(SealVerdictName(verdict)));
        if (verdict != SealVerdict::Matches) return nullptr;
        return Start(commandLine);
    }

    Log& m_log;
    std::map<std::wstring, Sha256Digest> m_files;  // the digests of the files a sealed start finds
    std::set<std::wstring> m_failing;
    std::set<std::wstring> m_missingFolders;
    std::map<std::wstring, std::optional<std::uint32_t>> m_exitCodes;  // 0 for any other
    std::vector<WaitResult> m_slices{WaitResult::Ended};
    ProcessFollowing m_following{true, {}};
    std::vector<std::wstring> m_titles;
    std::vector<std::optional<std::vector<LeftProcess>>> m_leftBehind;  // after each slice
};

class FakeServices : public Sleeper, public ProgressTimer, public InstallMarkerWriter, public DescriptionText,
                     public MessageSink, public WindowsInstallerState {
public:
    explicit FakeServices(Log& log) : m_log(log) {}
    void Sleep(unsigned milliseconds) override { m_log.push_back("sleep " + std::to_string(milliseconds)); }
    void StartProgressTimer() override { m_log.push_back("timer on"); }
    void StopProgressTimer() override { m_log.push_back("timer off"); }
    void WriteInstallMarker(const std::wstring& keyPath, const std::wstring& version) override {
        m_log.push_back("marker " + Narrow(keyPath) + " = " + Narrow(version));
    }
    void SetDescription(const std::wstring& text) override { m_log.push_back("description " + Narrow(text)); }
    void ShowMessage(const std::wstring& text) override { m_log.push_back("message " + Narrow(text)); }
    // The answers of m_busyScript in turn, then m_busyAfterScript for ever.
    bool AnotherInstallationRunning() override {
        const std::size_t question = m_busyQuestions++;
        return question < m_busyScript.size() ? m_busyScript[question] : m_busyAfterScript;
    }

    Log& m_log;
    std::vector<bool> m_busyScript;
    bool m_busyAfterScript = false;
    std::size_t m_busyQuestions = 0;
};

std::unique_ptr<CItem> Item(int number, int row, const wchar_t* installCmd) {
    auto item = std::make_unique<CItem>();
    item->m_nItemNo = number;
    item->m_nListRow = row;
    item->m_nType = ITEM_TYPE_DRIVER;
    item->m_strInstallCmd = installCmd;
    item->m_strDescription = L"Item " + std::to_wstring(number);
    item->m_pVersionList.emplace_back(1, L"1.0");
    return item;
}

// One run over a list and a catalogue, with everything it did in log.
struct RunBench {
    explicit RunBench(std::vector<int> checks) : list(log, std::move(checks)), launcher(log), services(log) {}

    RunOutcome Go() {
        const RunServices run{list, launcher, services, services, progress, services, services, services, runLog.Log(), services};
        return RunInstallation(items, L"D:", RunTexts{L"Installing", L"Done", L"Failed"}, switches, run, control);
    }
    CItem& Add(int number, int row, const wchar_t* installCmd) {
        items.push_back(Item(number, row, installCmd));
        return *items.back();
    }

    Log log;
    ItemList items;
    FakeList list;
    FakeLauncher launcher;
    FakeServices services;
    ProgressState progress;
    DiagnosticSwitches switches;
    MemoryRunLog runLog;
    RunControl control;
};

TEST(DecideStart, DisablesRowsThenDecides) {
    struct Case {
        const char* name;
        std::vector<int> checks;
        bool resume;
        bool answerYes;
        StartDecision expected;
        bool asked;
        bool rowsEnabledAfter;
    };
    const Case cases[] = {
        {"empty list", {}, false, true, StartDecision::NothingChecked, false, true},
        {"nothing checked", {0, 0}, false, true, StartDecision::NothingChecked, false, true},
        {"nothing checked in resume mode", {0}, true, true, StartDecision::NothingChecked, false, true},
        {"checked, answered Yes", {0, 1}, false, true, StartDecision::StartWorker, true, false},
        {"checked, answered No", {1, 0}, false, false, StartDecision::Declined, true, true},
        {"unreadable state counts as checked", {0, -1}, false, true, StartDecision::StartWorker, true, false},
        {"resume mode does not ask", {1}, true, false, StartDecision::StartWorker, false, false},
    };
    for (const Case& c : cases) {
        Log log;
        FakeList list(log, c.checks);
        bool asked = false;
        const StartDecision decision = DecideStart(list, c.resume, [&] {
            asked = true;
            // The question comes while every row is disabled.
            for (bool enabled : list.m_enabled) EXPECT_FALSE(enabled) << c.name;
            return c.answerYes;
        });
        EXPECT_EQ(Narrow(StartDecisionName(decision)), Narrow(StartDecisionName(c.expected))) << c.name;
        EXPECT_EQ(asked, c.asked) << c.name;
        for (bool enabled : list.m_enabled) EXPECT_EQ(enabled, c.rowsEnabledAfter) << c.name;
    }
}

TEST(InstallationRun, NoCheckedRowStartsNothingAndCompletes) {
    RunBench run({0, 0});
    run.Add(1, 0, L"\\A\\Setup.exe");
    run.Add(2, 1, L"\\B\\Setup.exe");
    run.switches.m_bShowErrorMessage = true;
    const RunOutcome outcome = run.Go();
    EXPECT_EQ(outcome.code, WM_INSTALLATION_COMPLETE);
    EXPECT_EQ(Joined(run.log), "message Post WM_INSTALLATION_COMPLETE\n");
}

TEST(InstallationRun, OneItemStepByStep) {
    RunBench run({1});
    CItem& item = run.Add(3, 0, L"\\Drivers\\VGA\\Setup.exe%%-s -f");
    item.m_nWaitTime = 5000;
    run.launcher.m_slices = {WaitResult::StillRunning, WaitResult::StillRunning, WaitResult::Ended};
    const RunOutcome outcome = run.Go();
    EXPECT_EQ(outcome.code, WM_INSTALLATION_COMPLETE);
    EXPECT_FALSE(outcome.m_bRescanRequested);
    EXPECT_FALSE(outcome.anyFailed);
    EXPECT_EQ(Joined(run.log),
              "progress 0 Installing\n"
              "position 0 0\n"
              "timer on\n"
              "description Item 3\n"
              "cd D:\\Drivers\\VGA\n"
              "start \"D:\\Drivers\\VGA\\Setup.exe\" -s -f\n"
              "wait 1000\nwait 1000\nwait 1000\n"
              "release\n"
              "sleep 5000\n"  // the item's own wait, before "Done"
              "timer off\n"
              "stop progress 0\n"
              "text 0,3 Done\n"
              "bold 0,3\n"
              "sleep 1000\n");
}

TEST(InstallationRun, InstalledItemIsUninstalledFirst) {
    RunBench run({1});
    CItem& item = run.Add(2, 0, L"\\Drivers\\Audio\\Setup.exe%%-s");
    item.m_strUninstallCmd = L"\\Drivers\\Audio\\Setup.exe%%-u -s";
    item.m_bInstalled = true;
    run.Go();
    EXPECT_EQ(Joined(run.log),
              "progress 0 Installing\nposition 0 0\ntimer on\ndescription Item 2\n"
              "cd D:\\Drivers\\Audio\n"
              "start \"D:\\Drivers\\Audio\\Setup.exe\" -u -s\nwait 1000\nrelease\n"
              "sleep 3000\n"
              "start \"D:\\Drivers\\Audio\\Setup.exe\" -s\nwait 1000\nrelease\n"
              "timer off\nstop progress 0\ntext 0,3 Done\nbold 0,3\nsleep 1000\n");
}

TEST(InstallationRun, UninstallThatCannotStartIsSkipped) {
    struct Case {
        const char* name;
        const wchar_t* uninstallCmd;
        bool failsToStart;
        bool launched;
    };
    const Case cases[] = {
        {"failing uninstaller", L"\\U.exe", true, true},
        {"no uninstall command", L"", false, false},  // never launches the bare disc root
        {"blank uninstall command", L"  ", false, false},
    };
    for (const Case& c : cases) {
        RunBench run({1});
        CItem& item = run.Add(2, 0, L"\\I.exe");
        item.m_strUninstallCmd = c.uninstallCmd;
        item.m_bInstalled = true;
        if (c.failsToStart) run.launcher.m_failing.insert(L"\"D:\\U.exe\"");
        run.Go();
        EXPECT_EQ(Contains(run.log, "start \"D:\\U.exe\""), c.launched) << c.name;
        EXPECT_EQ(Contains(run.log, "start \"D:" + Narrow(c.uninstallCmd) + "\""), c.launched) << c.name;
        EXPECT_FALSE(Contains(run.log, "sleep 3000")) << c.name;
        EXPECT_TRUE(Contains(run.log, "text 0,3 Done")) << c.name;
    }
}

TEST(InstallationRun, FailedStartIsMarkedAndTheRunGoesOn) {
    RunBench run({1, 1});
    CItem& failing = run.Add(5, 0, L"\\Apps\\A\\Setup.exe");
    failing.m_nType = ITEM_TYPE_RECOMMENDED_APP;
    failing.m_strGUID = L"{A}";
    failing.m_bRescan = true;
    failing.m_bRestart = true;
    failing.m_nWaitTime = 5000;
    run.Add(6, 1, L"\\Apps\\B\\Setup.exe");
    run.launcher.m_failing.insert(L"\"D:\\Apps\\A\\Setup.exe\"");
    const RunOutcome outcome = run.Go();
    EXPECT_EQ(outcome.code, WM_INSTALLATION_COMPLETE);
    EXPECT_TRUE(outcome.anyFailed);
    EXPECT_FALSE(outcome.m_bRescanRequested);
    EXPECT_TRUE(outcome.m_strWaitingList.empty());
    EXPECT_TRUE(Contains(run.log, "text 0,3 Failed"));
    EXPECT_TRUE(Contains(run.log, "text 1,3 Done"));
    EXPECT_FALSE(Contains(run.log, "sleep 5000"));
    EXPECT_FALSE(ContainsLineStarting(run.log, "marker ")) << "no marker of any kind";
}

// A sealed installer starts only from a file with the sealed digest; any other file, a missing one
// or a seal that is no digest means the installer never starts and the row fails, said in the log.
// An uninstaller refused so is passed over like one that could not start.
TEST(InstallationRun, ASealedInstallerStartsOnlyAsTheDiscsFile) {
    const Sha256Digest disc = Sha256Of("the disc's installer");
    const Sha256Digest other = Sha256Of("a changed installer");
    const std::wstring discSeal = Sha256Text(disc);
    std::wstring upperSeal = discSeal;
    for (wchar_t& c : upperSeal) c = static_cast<wchar_t>(std::towupper(c));
    const struct {
        const char* name;
        std::wstring seal;
        std::optional<Sha256Digest> file;  // what D:\A\Setup.exe holds; nothing when missing
        bool started;
        const char* logged;
    } cases[] = {
        {"unsealed", L"", disc, true, nullptr},
        {"the disc's file", discSeal, disc, true, "Item 1: install: D:\\A\\Setup.exe is the disc's file (SHA-256 as sealed)"},
        {"upper case, blanks around", L" " + upperSeal + L" ", disc, true, nullptr},
        {"a changed file", discSeal, other, false,
         "Item 1: install not started: D:\\A\\Setup.exe is not the disc's file (Differs)"},
        {"a missing file", discSeal, std::nullopt, false,
         "Item 1: install not started: D:\\A\\Setup.exe is not the disc's file (FileMissing)"},
        {"a seal that is no digest", L"1234", disc, false,
         "Item 1: install not started: D:\\A\\Setup.exe is not the disc's file (SealUnreadable)"},
    };
    for (const auto& c : cases) {
        RunBench run({1});
        CItem& item = run.Add(1, 0, L"\\A\\Setup.exe%%/s");
        item.m_strInstallSHA256 = c.seal;
        if (c.file) run.launcher.m_files[L"D:\\A\\Setup.exe"] = *c.file;
        const RunOutcome outcome = run.Go();
        EXPECT_EQ(Contains(run.log, "start \"D:\\A\\Setup.exe\" /s"), c.started) << c.name;
        EXPECT_EQ(Contains(run.log, c.started ? "text 0,3 Done" : "text 0,3 Failed"), true) << c.name;
        EXPECT_EQ(outcome.anyFailed, !c.started) << c.name;
        if (c.logged) {
            EXPECT_TRUE(run.runLog.Has(c.logged)) << c.name;
        }
        EXPECT_EQ(ContainsLineStarting(run.log, "sealed "), !c.seal.empty() && c.seal != L"1234") << c.name;
    }

    RunBench run({1});
    CItem& installed = run.Add(2, 0, L"\\A\\Setup.exe");
    installed.m_bInstalled = true;
    installed.m_strUninstallCmd = L"\\A\\Remove.exe";
    installed.m_strUninstallSHA256 = discSeal;
    installed.m_strInstallSHA256 = discSeal;
    run.launcher.m_files[L"D:\\A\\Setup.exe"] = disc;
    run.launcher.m_files[L"D:\\A\\Remove.exe"] = other;
    run.Go();
    EXPECT_FALSE(Contains(run.log, "start \"D:\\A\\Remove.exe\""));
    EXPECT_TRUE(run.runLog.Has("Item 2: uninstall not started: D:\\A\\Remove.exe is not the disc's file (Differs)"));
    EXPECT_TRUE(Contains(run.log, "start \"D:\\A\\Setup.exe\""));
    EXPECT_TRUE(Contains(run.log, "text 0,3 Done"));
}

TEST(InstallationRun, RestartStoresTheCheckedItemsBelow) {
    struct Case {
        const char* name;
        std::vector<int> checks;
        int restartRow;
        const wchar_t* waitingList;
    };
    // Rows 0..4 hold items 9, 4, 7, 12, 2; the restart item's row is given.
    const Case cases[] = {
        {"items 4, 7 and 12 below", {1, 1, 1, 1, 0}, 0, L"4@7@12"},
        {"restart on the last checked row", {1, 1, 0, 0, 0}, 1, L""},
        {"restart on the last row", {1, 1, 1, 1, 1}, 4, L""},
        {"unreadable state counts as checked", {1, 0, -1, 0, 1}, 0, L"7@2"},
    };
    for (const Case& c : cases) {
        RunBench run(c.checks);
        const int numbers[] = {9, 4, 7, 12, 2};
        for (int row = 0; row < 5; ++row) run.Add(numbers[row], row, L"\\S.exe");
        run.items[c.restartRow]->m_bRestart = true;
        const RunOutcome outcome = run.Go();
        EXPECT_EQ(outcome.code, WM_INSTALLATION_RESTART) << c.name;
        EXPECT_EQ(Narrow(outcome.m_strWaitingList), Narrow(c.waitingList)) << c.name;
        // The run ends at once: no pause after the restart item, nothing below it installed.
        EXPECT_EQ(run.log.back(), "bold " + std::to_string(c.restartRow) + ",3") << c.name;
    }
}

TEST(InstallationRun, MarkerOnlyForApplicationsWithGuid) {
    struct Case {
        int type;
        const wchar_t* guid;
        bool marked;
    };
    const Case cases[] = {
        {ITEM_TYPE_RECOMMENDED_APP, L"{G}", true}, {ITEM_TYPE_OPTIONAL_APP, L"{G}", true},
        {ITEM_TYPE_RECOMMENDED_APP, L"", false},   {ITEM_TYPE_OPTIONAL_APP, L"", false},
        {ITEM_TYPE_DRIVER, L"{G}", false},         {ITEM_TYPE_HOTFIX, L"{G}", false},
    };
    for (const Case& c : cases) {
        RunBench run({1});
        CItem& item = run.Add(1, 0, L"\\S.exe");
        item.m_nType = c.type;
        item.m_strGUID = c.guid;
        item.m_pVersionList.front().m_strVersion = L"2.1.0";
        run.Go();
        EXPECT_EQ(Contains(run.log, "marker SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{G} = 2.1.0"),
                  c.marked)
            << "type " << c.type << " guid '" << Narrow(c.guid) << "'\n"
            << Joined(run.log);
    }
}

TEST(InstallationRun, MarkerVersionIsCutAt159Characters) {
    RunBench run({1});
    CItem& item = run.Add(1, 0, L"\\S.exe");
    item.m_nType = ITEM_TYPE_OPTIONAL_APP;
    item.m_strGUID = L"{G}";
    item.m_pVersionList.front().m_strVersion = std::wstring(200, L'9');
    run.Go();
    EXPECT_TRUE(Contains(run.log, "marker SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{G} = " +
                                      std::string(159, '9')));
}

TEST(InstallationRun, RescanRequestedByAnInstalledItem) {
    RunBench run({1, 1});
    run.Add(1, 0, L"\\A.exe").m_bRescan = true;
    run.Add(2, 1, L"\\B.exe");
    EXPECT_TRUE(run.Go().m_bRescanRequested);
}

TEST(InstallationRun, RowsAreCountedAgainBeforeEachRow) {
    RunBench run({1});
    run.Add(1, 0, L"\\A.exe");
    run.Add(2, 1, L"\\B.exe");
    // The list gains a checked row while the first installer runs.
    struct GrowingLauncher : FakeLauncher {
        GrowingLauncher(Log& log, FakeList& list) : FakeLauncher(log), m_list(list) {}
        std::unique_ptr<StartedProcess> Start(const std::wstring& commandLine) override {
            m_list.m_checks.push_back(1);
            return FakeLauncher::Start(commandLine);
        }
        FakeList& m_list;
    } launcher(run.log, run.list);
    const RunServices services{run.list, launcher, run.services, run.services, run.progress,
                               run.services, run.services, run.services, run.runLog.Log(), run.services};
    RunInstallation(run.items, L"D:", RunTexts{L"Installing", L"Done", L"Failed"}, run.switches, services);
    EXPECT_TRUE(Contains(run.log, "start \"D:\\B.exe\"")) << Joined(run.log);
}

TEST(InstallationRun, RowWithoutItemIsPassedOver) {
    RunBench run({1, 1});
    run.Add(2, 1, L"\\B.exe");
    run.Go();
    EXPECT_EQ(run.log.front(), "progress 0 Installing");
    EXPECT_TRUE(Contains(run.log, "text 1,3 Done"));
    EXPECT_FALSE(Contains(run.log, "text 0,3 Done"));
}

TEST(InstallationRun, WaitThatFailsEndsTheWait) {
    RunBench run({1});
    run.Add(1, 0, L"\\A.exe");
    run.launcher.m_slices = {WaitResult::Failed, WaitResult::StillRunning, WaitResult::Ended};
    run.Go();
    int waits = 0;
    for (const std::string& line : run.log) waits += line == "wait 1000" ? 1 : 0;
    EXPECT_EQ(waits, 1);
}

// An installer that cannot be waited for may still be running: nothing the item's end decides
// (its status, marker, pause, re-scan or restart) may act.
TEST(InstallationRun, WaitThatFailsIsAFailedItem) {
    RunBench run({1, 1});
    CItem& first = run.Add(5, 0, L"\\Apps\\A\\Setup.exe");
    first.m_nType = ITEM_TYPE_RECOMMENDED_APP;
    first.m_strGUID = L"{A}";
    first.m_bRescan = true;
    first.m_bRestart = true;
    first.m_nWaitTime = 5000;
    run.Add(6, 1, L"\\Apps\\B\\Setup.exe");
    run.launcher.m_slices = {WaitResult::StillRunning, WaitResult::Failed};
    const RunOutcome outcome = run.Go();
    EXPECT_EQ(outcome.code, WM_INSTALLATION_COMPLETE);
    EXPECT_TRUE(outcome.anyFailed);
    EXPECT_FALSE(outcome.m_bRescanRequested);
    EXPECT_TRUE(Contains(run.log, "text 0,3 Failed")) << Joined(run.log);
    EXPECT_FALSE(Contains(run.log, "text 0,3 Done"));
    EXPECT_FALSE(Contains(run.log, "sleep 5000"));
    EXPECT_FALSE(ContainsLineStarting(run.log, "marker ")) << "no marker of any kind";
    EXPECT_TRUE(Contains(run.log, "start \"D:\\Apps\\B\\Setup.exe\"")) << "the run goes on";
}

// The disc's exit-code keys decide what an installer's code means; without them, or without a code
// to judge, the row is what it always was. Row 0 holds the item under test, an application with a
// GUID (its marker shows whether it counted as installed); rows 1 and 2 hold plain items 2 and 3.
TEST(InstallationRun, ExitCodesCountWhereTheDiscSaysWhatTheyMean) {
    using Codes = std::vector<std::uint32_t>;
    const std::uint32_t crashed = 0xC0000005;
    struct Case {
        const char* name;
        Codes success;
        Codes restart;
        bool restartFlag;
        std::optional<std::uint32_t> exitCode;
        const char* status;          // row 0's result
        bool restarts;               // the run ends with a restart, items 2 and 3 waiting
        bool anyFailed;
    };
    const Case cases[] = {
        {"no keys, code 0", {}, {}, false, 0u, "Done", false, false},
        {"no keys, any code is done", {}, {}, false, 5u, "Done", false, false},
        {"no keys, a crash code is done", {}, {}, false, crashed, "Done", false, false},
        {"no keys, restart flag", {}, {}, true, 5u, "Done", true, false},
        {"success code", {0, 3010}, {}, false, 3010u, "Done", false, false},
        {"another code fails", {0, 3010}, {}, false, 5u, "Failed", false, true},
        {"a crash code fails", {0}, {}, false, crashed, "Failed", false, true},
        {"restart code", {0}, {3010, 1641}, false, 1641u, "Done", true, false},
        {"restart code also listed as success", {0, 3010}, {3010}, false, 3010u, "Done", true, false},
        {"only restart codes: 0 succeeds", {}, {3010}, false, 0u, "Done", false, false},
        {"only restart codes: another code fails", {}, {3010}, false, 1u, "Failed", false, true},
        {"restart flag with a success code", {0}, {}, true, 0u, "Done", true, false},
        {"restart flag with a failing code", {0}, {}, true, 5u, "Failed", false, true},
        {"code unknown: not judged", {0}, {3010}, false, std::nullopt, "Done", false, false},
        {"code unknown, restart flag", {0}, {}, true, std::nullopt, "Done", true, false},
    };
    for (const Case& c : cases) {
        RunBench run({1, 1, 1});
        CItem& judged = run.Add(1, 0, L"\\Apps\\A\\Setup.exe");
        judged.m_nType = ITEM_TYPE_RECOMMENDED_APP;
        judged.m_strGUID = L"{A}";
        judged.m_bRescan = true;
        judged.m_bRestart = c.restartFlag;
        judged.m_arrSuccessCodes = c.success;
        judged.m_arrRestartCodes = c.restart;
        run.Add(2, 1, L"\\B.exe");
        run.Add(3, 2, L"\\C.exe");
        run.launcher.m_exitCodes[L"\"D:\\Apps\\A\\Setup.exe\""] = c.exitCode;
        run.launcher.m_exitCodes[L"\"D:\\B.exe\""] = 7;  // judged by nobody: item 2 has no keys
        const RunOutcome outcome = run.Go();
        const bool done = std::string(c.status) == "Done";
        EXPECT_TRUE(Contains(run.log, std::string("text 0,3 ") + c.status)) << c.name << "\n" << Joined(run.log);
        EXPECT_EQ(outcome.anyFailed, c.anyFailed) << c.name;
        EXPECT_EQ(outcome.code, c.restarts ? WM_INSTALLATION_RESTART : WM_INSTALLATION_COMPLETE) << c.name;
        EXPECT_EQ(Narrow(outcome.m_strWaitingList), c.restarts ? "2@3" : "") << c.name;
        EXPECT_EQ(outcome.m_bRescanRequested, done) << c.name;
        EXPECT_EQ(Contains(run.log, "marker SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{A} = 1.0"), done)
            << c.name;
        // A failed item does not stop the run; a restart does, before item 2.
        EXPECT_EQ(Contains(run.log, "start \"D:\\B.exe\""), !c.restarts) << c.name;
        if (!c.restarts) {
            EXPECT_TRUE(Contains(run.log, "text 1,3 Done")) << c.name;
            EXPECT_TRUE(Contains(run.log, "text 2,3 Done")) << c.name;
        }
    }
}

// A service that throws after a number of calls, as an allocation failure would.
class ThrowingLauncher : public FakeLauncher {
public:
    ThrowingLauncher(Log& log, int startsBeforeThrow) : FakeLauncher(log), m_left(startsBeforeThrow) {}
    std::unique_ptr<StartedProcess> Start(const std::wstring& commandLine) override {
        if (m_left-- == 0) throw std::bad_alloc();
        return FakeLauncher::Start(commandLine);
    }

private:
    int m_left;
};

// An error in the middle of a run becomes its outcome: the current row "Failed", the rows below
// not run and named, what was decided before (a re-scan) kept.
TEST(InstallationRun, AnErrorStopsTheRunWithWhatItDecided) {
    struct Case {
        const char* name;
        int startsBeforeThrow;
        const char* failedRow;  // the status line expected, empty: none
        const char* notRun;
        bool rescan;
    };
    // Rows 0..3 hold items 1..4, all checked; item 1 asks for a re-scan.
    const Case cases[] = {
        {"first installer", 0, "text 0,3 Failed", "2@3@4", false},
        {"second installer", 1, "text 1,3 Failed", "3@4", true},
        {"last installer", 3, "text 3,3 Failed", "", true},
    };
    for (const Case& c : cases) {
        RunBench run({1, 1, 1, 1});
        for (int row = 0; row < 4; ++row) run.Add(row + 1, row, L"\\S.exe");
        run.items[0]->m_bRescan = true;
        ThrowingLauncher launcher(run.log, c.startsBeforeThrow);
        const RunServices services{run.list, launcher, run.services, run.services, run.progress,
                                   run.services, run.services, run.services, run.runLog.Log(), run.services};
        RunOutcome outcome;
        ASSERT_NO_THROW(outcome = RunInstallation(run.items, L"D:", RunTexts{L"Installing", L"Done", L"Failed"},
                                                  run.switches, services))
            << c.name;
        EXPECT_EQ(Narrow(RunStopName(outcome.stop)), "ByError") << c.name;
        EXPECT_TRUE(outcome.anyFailed) << c.name << ": the row being run ends Failed";
        EXPECT_TRUE(Contains(run.log, c.failedRow)) << c.name << "\n" << Joined(run.log);
        EXPECT_EQ(Narrow(outcome.notRun), c.notRun) << c.name;
        EXPECT_EQ(outcome.m_bRescanRequested, c.rescan) << c.name;
        EXPECT_EQ(run.log.back(), "bold " + std::string(1, c.failedRow[5]) + ",3") << c.name;
    }
}

// The run's record, each step into the run's own log beside the installers' starts, so that the
// order shows: "record <list> <counts>", "helper", "no helper".
class RecordingRecord : public RunRecord {
public:
    explicit RecordingRecord(Log& log) : m_log(log) {}
    bool Store(const std::wstring& waitingList, const std::wstring& beginCounts) override {
        stored.push_back(Narrow(waitingList));
        m_log.push_back("record " + Narrow(waitingList) + (beginCounts.empty() ? "" : " " + Narrow(beginCounts)));
        return works;
    }
    std::wstring RegisterLogonResume() override {
        m_log.push_back("helper");
        return helperWorks ? std::wstring() : L"Could not copy the restart helper";
    }
    void UnregisterLogonResume() override { m_log.push_back("no helper"); }
    std::vector<std::string> stored;
    bool works = true;
    bool helperWorks = true;

private:
    Log& m_log;
};

// The lines of the record, the helper and the installers' starts, in order.
std::vector<std::string> RecordSteps(const Log& log) {
    std::vector<std::string> steps;
    for (const std::string& line : log) {
        if (line.rfind("record ", 0) == 0 || line == "helper" || line == "no helper" || line.rfind("start ", 0) == 0) {
            steps.push_back(line);
        }
    }
    return steps;
}

// Every run keeps its record, so that whatever interrupts it (a logoff, an installer restarting
// Windows, a power cut) loses nothing: before each installer starts the record holds that item and
// the checked items below it, with how often each was begun, and the helper is registered once;
// after each item it holds the items below it, and nothing once the run is through. A run resumed
// from the record counts on; the third resume of an item does not run it.
TEST(InstallationRun, EveryRunKeepsItsRecordBeforeAndAfterEachItem) {
    struct Case {
        const char* name;
        std::vector<int> checks;
        int failingRow;   // -1: none; a failed item is not run again
        int restartRow;   // -1: none
        bool resumed;
        BeginCounts counts;  // as the record read at the start holds them
        std::vector<std::string> steps;
        const char* refusedRow;  // the status line of a row refused as a loop, or ""
    };
    // Rows 0..3 hold items 9, 4, 7, 12, each with an installer of its own.
    const Case cases[] = {
        {"every row", {1, 1, 1, 1}, -1, -1, false, {},
         {"record 9@4@7@12 9:1", "helper", "start \"D:\\S9.exe\"", "record 4@7@12", "record 4@7@12 4:1",
          "start \"D:\\S4.exe\"", "record 7@12", "record 7@12 7:1", "start \"D:\\S7.exe\"", "record 12",
          "record 12 12:1", "start \"D:\\S12.exe\"", "record "}, ""},
        {"unchecked rows are not waiting", {1, 0, 1, 0}, -1, -1, false, {},
         {"record 9@7 9:1", "helper", "start \"D:\\S9.exe\"", "record 7", "record 7 7:1", "start \"D:\\S7.exe\"",
          "record "}, ""},
        {"a failed item counts as run", {0, 1, 1, 0}, 1, -1, false, {},
         {"record 4@7 4:1", "helper", "start \"D:\\S4.exe\"", "record 7", "record 7 7:1", "start \"D:\\S7.exe\"",
          "record "}, ""},
        {"a restart item leaves what is below, for the restart step", {0, 1, 1, 1}, -1, 1, false, {},
         {"record 4@7@12 4:1", "helper", "start \"D:\\S4.exe\"", "record 7@12"}, ""},
        {"a restart item on the last row leaves nothing", {0, 1, 0, 0}, -1, 1, false, {},
         {"record 4 4:1", "helper", "start \"D:\\S4.exe\"", "record "}, ""},
        {"a resumed run counts on", {0, 1, 1, 0}, -1, -1, true, {{4, 1}},
         {"record 4@7 4:2", "helper", "start \"D:\\S4.exe\"", "record 7", "record 7 7:1", "start \"D:\\S7.exe\"",
          "record "}, ""},
        {"the second resume of an item runs it", {0, 1, 1, 0}, -1, -1, true, {{4, 2}, {7, 1}},
         {"record 4@7 4:3@7:1", "helper", "start \"D:\\S4.exe\"", "record 7 7:1", "record 7 7:2",
          "start \"D:\\S7.exe\"", "record "}, ""},
        {"the third resume of an item does not run it", {0, 1, 1, 0}, -1, -1, true, {{4, 3}, {7, 1}},
         {"record 7 7:1", "record 7 7:2", "helper", "start \"D:\\S7.exe\"", "record "}, "text 1,3 Failed"},
        {"a run started afresh counts from nothing", {0, 1, 0, 0}, -1, -1, false, {{4, 3}},
         {"record 4 4:1", "helper", "start \"D:\\S4.exe\"", "record "}, ""},
    };
    for (const Case& c : cases) {
        RunBench run(c.checks);
        const int numbers[] = {9, 4, 7, 12};
        for (int row = 0; row < 4; ++row) {
            run.Add(numbers[row], row, (L"\\S" + std::to_wstring(numbers[row]) + L".exe").c_str());
            if (row == c.failingRow) run.launcher.m_exitCodes[L"\"D:\\S4.exe\""] = 1;
        }
        if (c.failingRow >= 0) run.items[c.failingRow]->m_arrSuccessCodes = {0};
        if (c.restartRow >= 0) run.items[c.restartRow]->m_bRestart = true;
        RecordingRecord record(run.log);
        run.control.record = &record;
        run.control.resumedRun = c.resumed;
        run.control.beginCounts = c.counts;
        const RunOutcome outcome = run.Go();
        EXPECT_EQ(RecordSteps(run.log), c.steps) << c.name << "\n" << Joined(run.log);
        if (*c.refusedRow != '\0') {
            EXPECT_TRUE(Contains(run.log, c.refusedRow)) << c.name;
            EXPECT_TRUE(outcome.anyFailed) << c.name;
            EXPECT_TRUE(run.runLog.Has(
                "Item 4: begun 3 times already by this run and the runs it resumes, and never finished: it restarts "
                "Windows or stops the program every time; not run again, row Failed"))
                << c.name << "\n" << run.runLog.Joined();
        }
    }
}

// The record cannot be written: the run says what that means and goes on, and registers no
// helper for a record that is not there.
TEST(InstallationRun, ARecordThatCannotBeWrittenIsLoggedAndTheRunGoesOn) {
    RunBench run({1, 1});
    run.Add(4, 0, L"\\S4.exe");
    run.Add(7, 1, L"\\S7.exe");
    RecordingRecord record(run.log);
    record.works = false;
    run.control.record = &record;
    const RunOutcome outcome = run.Go();
    EXPECT_EQ(RecordSteps(run.log),
              (std::vector<std::string>{"record 4@7 4:1", "start \"D:\\S4.exe\"", "record 7", "record 7 7:1",
                                        "start \"D:\\S7.exe\"", "record "}));
    EXPECT_FALSE(outcome.anyFailed);
    EXPECT_TRUE(run.runLog.Has("The restart record could not be written with \"4@7\": the run goes on, but the next "
                               "start after an interruption may not resume what is left"))
        << run.runLog.Joined();
    EXPECT_TRUE(run.runLog.Has("The restart record could not be removed: the next start may install again what this "
                               "run installed"));
}

// Windows ends the session while the second installer runs: no further installer starts; the run
// waits until the end comes (and stops, the item cut off kept in the record) or is called off
// (and goes on, as if nothing had happened).
TEST(InstallationRun, TheEndOfTheSessionStopsTheRunBetweenItems) {
    struct Case {
        const char* name;
        int endDuringStart;  // the session end is asked while this installer (1-based) runs
        SessionEnd decided;  // what WM_ENDSESSION then says, after a few seconds
        const char* stop;
        const char* notRun;
        int starts;
        std::vector<std::string> recordsAfterLastStart;
    };
    // Rows 0..3 hold items 9, 4, 7, 12.
    const Case cases[] = {
        {"the session ends", 2, SessionEnd::Ending, "SessionEnded", "4@7@12", 2, {}},
        {"the end is called off", 2, SessionEnd::None, "None", "", 4, {"record "}},
        {"the session ends during the last item", 4, SessionEnd::Ending, "SessionEnded", "12", 4, {}},
        // Asked while the record before the third installer was written: that installer never starts.
        {"the session ends before an installer starts", -3, SessionEnd::Ending, "SessionEnded", "7@12", 2,
         {"record 7@12", "record 7@12 7:1"}},
    };
    for (const Case& c : cases) {
        RunBench run({1, 1, 1, 1});
        const int numbers[] = {9, 4, 7, 12};
        for (int row = 0; row < 4; ++row) run.Add(numbers[row], row, L"\\S.exe");
        std::atomic<SessionEnd> session{SessionEnd::None};
        struct EndingLauncher : FakeLauncher {
            EndingLauncher(Log& log, std::atomic<SessionEnd>& state, int after)
                : FakeLauncher(log), m_state(state), m_after(after) {}
            std::unique_ptr<StartedProcess> Start(const std::wstring& commandLine) override {
                if (--m_after == 0) m_state = SessionEnd::Asked;
                return FakeLauncher::Start(commandLine);
            }
            std::atomic<SessionEnd>& m_state;
            int m_after;
        } launcher(run.log, session, c.endDuringStart);
        // A negative number: asked while the record is written before that installer.
        struct EndingRecord : RecordingRecord {
            EndingRecord(Log& log, std::atomic<SessionEnd>& state, int beforeStart)
                : RecordingRecord(log), m_state(state), m_beforeStart(beforeStart) {}
            bool Store(const std::wstring& waitingList, const std::wstring& beginCounts) override {
                // The stores before the installers are the odd ones: before, after, before, ...
                if (++m_stores == 2 * m_beforeStart - 1) m_state = SessionEnd::Asked;
                return RecordingRecord::Store(waitingList, beginCounts);
            }
            std::atomic<SessionEnd>& m_state;
            int m_beforeStart;
            int m_stores = 0;
        } record(run.log, session, c.endDuringStart < 0 ? -c.endDuringStart : 0);
        // Windows decides after the run has waited three seconds.
        struct DecidingSleeper : FakeServices {
            DecidingSleeper(Log& log, std::atomic<SessionEnd>& state, SessionEnd decided)
                : FakeServices(log), m_state(state), m_decided(decided) {}
            void Sleep(unsigned milliseconds) override {
                FakeServices::Sleep(milliseconds);
                if (m_state == SessionEnd::Asked && ++m_asleep == 3) m_state = m_decided;
            }
            std::atomic<SessionEnd>& m_state;
            SessionEnd m_decided;
            int m_asleep = 0;
        } sleeper(run.log, session, c.decided);
        run.control.record = &record;
        run.control.sessionEnd = &session;
        const RunServices services{run.list, launcher, sleeper, run.services, run.progress,
                                   run.services, run.services, run.services, run.runLog.Log(), run.services};
        const RunOutcome outcome = RunInstallation(run.items, L"D:", RunTexts{L"Installing", L"Done", L"Failed"},
                                                   run.switches, services, run.control);
        EXPECT_EQ(Narrow(RunStopName(outcome.stop)), c.stop) << c.name;
        EXPECT_EQ(Narrow(outcome.notRun), c.notRun) << c.name;
        EXPECT_EQ(outcome.notRunStored, *c.notRun != '\0') << c.name;
        int started = 0;
        for (const std::string& line : run.log) started += line.rfind("start ", 0) == 0 ? 1 : 0;
        EXPECT_EQ(started, c.starts) << c.name;
        // What the record was made to hold after the last installer started: an item the end of
        // the session may cut off is never dropped from it, not even for a moment.
        std::vector<std::string> records;
        int startsSeen = 0;
        for (const std::string& line : RecordSteps(run.log)) {
            if (line.rfind("start ", 0) == 0) ++startsSeen;
            if (startsSeen == c.starts && line.rfind("record ", 0) == 0) records.push_back(line);
        }
        EXPECT_EQ(records, c.recordsAfterLastStart) << c.name << "\n" << Joined(run.log);
        EXPECT_EQ(run.runLog.Has("Windows is ending the session: no further installer starts until it ends or the end "
                                 "is called off"),
                  true)
            << c.name;
    }
}

// A restart code in a resumed run leaves the record as the "Restart" flag does: the items below.
TEST(InstallationRun, ARestartCodeInAResumedRunKeepsTheRestInTheRecord) {
    RunBench run({1, 1, 1});
    run.Add(1, 0, L"\\A.exe");
    CItem& restarting = run.Add(2, 1, L"\\B.exe");
    restarting.m_arrRestartCodes = {3010};
    run.Add(3, 2, L"\\C.exe");
    run.launcher.m_exitCodes[L"\"D:\\B.exe\""] = 3010;
    RecordingRecord record(run.log);
    run.control.record = &record;
    run.control.resumedRun = true;
    const RunOutcome outcome = run.Go();
    EXPECT_EQ(outcome.code, WM_INSTALLATION_RESTART);
    EXPECT_EQ(Narrow(outcome.m_strWaitingList), "3");
    EXPECT_EQ(record.stored, (std::vector<std::string>{"1@2@3", "2@3", "2@3", "3"}));
    EXPECT_FALSE(Contains(run.log, "start \"D:\\C.exe\""));
}

TEST(InstallationRun, AStopRequestEndsTheRunAfterTheCurrentItem) {
    struct Case {
        const char* name;
        bool recordWorks;
        int stopAfterStarts;  // the request arrives while this installer (1-based) runs
        const char* notRun;
        bool stopped;
    };
    const Case cases[] = {
        {"rest stored", true, 1, "4@7@12", true},
        {"rest not stored", false, 1, "4@7@12", true},
        {"stop during the last item ends the run as usual", true, 4, "", false},
    };
    for (const Case& c : cases) {
        RunBench run({1, 1, 1, 1});
        const int numbers[] = {9, 4, 7, 12};
        for (int row = 0; row < 4; ++row) run.Add(numbers[row], row, L"\\S.exe");
        std::atomic<bool> stop{false};
        struct StoppingLauncher : FakeLauncher {
            StoppingLauncher(Log& log, std::atomic<bool>& flag, int after) : FakeLauncher(log), m_flag(flag), m_after(after) {}
            std::unique_ptr<StartedProcess> Start(const std::wstring& commandLine) override {
                if (--m_after == 0) m_flag = true;
                return FakeLauncher::Start(commandLine);
            }
            std::atomic<bool>& m_flag;
            int m_after;
        } launcher(run.log, stop, c.stopAfterStarts);
        RecordingRecord record(run.log);
        record.works = c.recordWorks;
        RunControl control;
        control.record = &record;
        control.stopRequested = &stop;
        const RunServices services{run.list, launcher, run.services, run.services, run.progress,
                                   run.services, run.services, run.services, run.runLog.Log(), run.services};
        const RunOutcome outcome = RunInstallation(run.items, L"D:", RunTexts{L"Installing", L"Done", L"Failed"},
                                                   run.switches, services, control);
        EXPECT_EQ(Narrow(RunStopName(outcome.stop)), c.stopped ? "OnRequest" : "None") << c.name;
        EXPECT_EQ(Narrow(outcome.notRun), c.notRun) << c.name;
        EXPECT_EQ(outcome.notRunStored, c.stopped && c.recordWorks) << c.name;
        ASSERT_FALSE(record.stored.empty()) << c.name;
        EXPECT_EQ(record.stored.back(), c.stopped ? c.notRun : "") << c.name;
        // The user chose to stop: nothing resumes at the next logon by itself.
        EXPECT_EQ(Contains(run.log, "no helper"), c.stopped && c.recordWorks) << c.name;
        EXPECT_TRUE(Contains(run.log, "text " + std::to_string(c.stopAfterStarts - 1) + ",3 Done"))
            << c.name << ": the running item is finished";
        int started = 0;
        for (const std::string& line : run.log) started += line.rfind("start ", 0) == 0 ? 1 : 0;
        EXPECT_EQ(started, c.stopped ? c.stopAfterStarts : 4) << c.name;
    }
}

// The disc as the run finds it before each item: the states of `script` in turn, then There.
class ScriptedDisc : public DiscWatch, public InsertDiscQuestion {
public:
    ScriptedDisc(Log& log, std::vector<DiscState> script, std::vector<InsertDiscAnswer> answers)
        : m_log(log), m_script(std::move(script)), m_answers(std::move(answers)) {}
    DiscState Check() override {
        const DiscState state = m_checks < m_script.size() ? m_script[m_checks] : DiscState::There;
        ++m_checks;
        m_log.push_back("disc " + Narrow(DiscStateName(state)));
        return state;
    }
    InsertDiscAnswer AskToInsertDisc() override {
        const InsertDiscAnswer answer = m_asked < m_answers.size() ? m_answers[m_asked] : InsertDiscAnswer::Cancel;
        ++m_asked;
        m_log.push_back(answer == InsertDiscAnswer::Retry ? "ask disc: retry" : "ask disc: cancel");
        return answer;
    }
    std::size_t m_asked = 0;

private:
    Log& m_log;
    std::vector<DiscState> m_script;
    std::vector<InsertDiscAnswer> m_answers;
    std::size_t m_checks = 0;
};

// The disc taken out after the first item: every later installer used to fail to start, each row
// "Failed", and a resumed run left them out for good. Now the run asks before the next item; Retry
// goes on once the disc is back, Cancel (and an unattended run, which asks nobody) stops the run
// with that item and the rest in the record, none of them "Failed".
TEST(InstallationRun, ADiscTakenOutBetweenItemsIsAskedForAndTheRestKept) {
    const InsertDiscAnswer retry = InsertDiscAnswer::Retry, cancel = InsertDiscAnswer::Cancel;
    const DiscState there = DiscState::There, missing = DiscState::Missing, other = DiscState::OtherDisc;
    struct Case {
        const char* name;
        std::vector<DiscState> disc;  // before item 9, then before item 4, ...
        bool attended;
        std::vector<InsertDiscAnswer> answers;
        bool recordWorks;
        int starts;
        std::size_t asked;
        const char* stop;
        const char* notRun;
        const char* lastStored;  // what the run last wrote into the record
    };
    // Rows 0..3 hold items 9, 4, 7, 12, all checked.
    const Case cases[] = {
        {"put back: retried until it is there", {there, missing, missing}, true, {retry, retry}, true, 4, 2, "None", "",
         ""},
        {"cancelled", {there, missing}, true, {cancel}, true, 1, 1, "DiscMissing", "4@7@12", "4@7@12"},
        {"cancelled after a retry", {there, there, missing, missing}, true, {retry, cancel}, true, 2, 2,
         "DiscMissing", "7@12", "7@12"},
        {"another disc in the drive", {there, other}, true, {cancel}, true, 1, 1, "DiscMissing", "4@7@12", "4@7@12"},
        {"unattended: nobody is asked", {there, missing}, false, {}, true, 1, 0, "DiscMissing", "4@7@12", "4@7@12"},
        {"gone before the first item", {missing}, false, {}, true, 0, 0, "DiscMissing", "9@4@7@12", "9@4@7@12"},
        {"the record refused", {there, missing}, false, {}, false, 1, 0, "DiscMissing", "4@7@12", "4@7@12"},
    };
    for (const Case& c : cases) {
        RunBench run({1, 1, 1, 1});
        const int numbers[] = {9, 4, 7, 12};
        for (int row = 0; row < 4; ++row) run.Add(numbers[row], row, L"\\S.exe");
        ScriptedDisc disc(run.log, c.disc, c.answers);
        RecordingRecord record(run.log);
        record.works = c.recordWorks;
        run.control.record = &record;
        run.control.disc = &disc;
        run.control.insertDisc = c.attended ? &disc : nullptr;
        const RunOutcome outcome = run.Go();
        EXPECT_EQ(Narrow(RunStopName(outcome.stop)), c.stop) << c.name;
        EXPECT_EQ(Narrow(outcome.notRun), c.notRun) << c.name;
        EXPECT_EQ(outcome.notRunStored, std::string(c.stop) == "DiscMissing" && c.recordWorks) << c.name;
        ASSERT_FALSE(record.stored.empty()) << c.name;
        EXPECT_EQ(record.stored.back(), c.lastStored) << c.name;
        // Whoever answered Cancel starts the disc again when they choose; with nobody to ask, the
        // helper registered before the first item looks for the disc at the next logon.
        const bool helperRemoved = ContainsLineStarting(run.log, "no helper");
        EXPECT_EQ(helperRemoved, std::string(c.stop) == "DiscMissing" && c.attended && c.starts > 0) << c.name;
        EXPECT_EQ(disc.m_asked, c.asked) << c.name;
        EXPECT_FALSE(outcome.anyFailed) << c.name << ": an item that was not run did not fail";
        int started = 0;
        for (const std::string& line : run.log) started += line.rfind("start ", 0) == 0 ? 1 : 0;
        EXPECT_EQ(started, c.starts) << c.name << "\n" << Joined(run.log);
        for (int row = c.starts; row < 4 && std::string(c.stop) == "DiscMissing"; ++row) {
            EXPECT_FALSE(ContainsLineStarting(run.log, "text " + std::to_string(row) + ",3"))
                << c.name << ": row " << row << " keeps its status empty";
            EXPECT_FALSE(ContainsLineStarting(run.log, "progress " + std::to_string(row)))
                << c.name << ": row " << row << " was not begun";
        }
        const std::string runLog = run.runLog.Joined();
        if (std::string(c.stop) == "DiscMissing") {
            EXPECT_NE(runLog.find(c.attended ? "the user cancelled instead of inserting the disc"
                                             : "an unattended run asks nobody, so the run stops"),
                      std::string::npos)
                << c.name << "\n" << runLog;
            EXPECT_NE(runLog.find("Installation run ends: stopped, the disc is not there, not run " +
                                  std::string(c.notRun)),
                      std::string::npos)
                << c.name << "\n" << runLog;
        }
    }
}

// What the person supporting a disc reads after a run: for each item its working folder, each
// command line, how each command ended (the exit code too, which the run does not act on) and the
// row's result, between the run's beginning and its end.
TEST(InstallationRunLog, EachItemsCommandsHowTheyEndedAndTheRowsResult) {
    RunBench run({1, 1, 1, 1});
    CItem& upgraded = run.Add(3, 0, L"\\Drivers\\VGA\\Setup.exe%%-s");
    upgraded.m_strTitle = L"Graphics";
    upgraded.m_strUninstallCmd = L"\\Drivers\\VGA\\Setup.exe%%-u";
    upgraded.m_bInstalled = true;
    run.Add(4, 1, L"\\Apps\\Tool\\Setup.exe").m_strTitle = L"Tool";
    run.Add(5, 2, L"\\Hotfix\\Missing.exe").m_strTitle = L"Hotfix";
    run.Add(6, 3, L"\\Gone\\Setup.exe%%/q").m_strTitle = L"Crashing";
    run.launcher.m_exitCodes[L"\"D:\\Apps\\Tool\\Setup.exe\""] = 1;
    run.launcher.m_failing.insert(L"\"D:\\Hotfix\\Missing.exe\"");
    run.launcher.m_missingFolders.insert(L"D:\\Gone");
    run.launcher.m_exitCodes[L"\"D:\\Gone\\Setup.exe\" /q"] = 0xC0000005;
    run.Go();
    EXPECT_EQ(run.runLog.Joined(),
              "Installation run begins\n"
              "Item 3 \"Graphics\", row 1, begins\n"
              "Item 3: working folder D:\\Drivers\\VGA\n"
              "Item 3: installed already, uninstalled first\n"
              "Item 3: uninstall command line: \"D:\\Drivers\\VGA\\Setup.exe\" -u\n"
              "Item 3: uninstall started\n"
              "Item 3: uninstall ended, exit code 0\n"
              "Item 3: install command line: \"D:\\Drivers\\VGA\\Setup.exe\" -s\n"
              "Item 3: install started\n"
              "Item 3: install ended, exit code 0\n"
              "Item 3: row 1 result Done\n"
              "Item 4 \"Tool\", row 2, begins\n"
              "Item 4: working folder D:\\Apps\\Tool\n"
              "Item 4: install command line: \"D:\\Apps\\Tool\\Setup.exe\"\n"
              "Item 4: install started\n"
              "Item 4: install ended, exit code 1\n"
              "Item 4: row 2 result Done\n"
              "Item 5 \"Hotfix\", row 3, begins\n"
              "Item 5: working folder D:\\Hotfix\n"
              "Item 5: install command line: \"D:\\Hotfix\\Missing.exe\"\n"
              "Item 5: install could not be started\n"
              "Item 5: row 3 result Failed\n"
              "Item 6 \"Crashing\", row 4, begins\n"
              "Item 6: working folder D:\\Gone could not be entered; the current folder stays\n"
              "Item 6: install command line: \"D:\\Gone\\Setup.exe\" /q\n"
              "Item 6: install started\n"
              "Item 6: install ended, exit code 3221225477 (0xC0000005)\n"
              "Item 6: row 4 result Done\n"
              "Installation run ends: complete\n");
}

TEST(InstallationRunLog, CommandsThatStartNothingOrCannotBeAwaited) {
    struct Case {
        const char* name;
        const wchar_t* installCmd;
        std::vector<WaitResult> slices;
        std::vector<std::string> expected;  // the item's lines after its working folder
    };
    const Case cases[] = {
        {"blank command", L"  ", {WaitResult::Ended},
         {"Item 1: install: no command, nothing started", "Item 1: row 1 result Failed"}},
        {"wait fails", L"\\S.exe", {WaitResult::StillRunning, WaitResult::Failed},
         {"Item 1: install command line: \"D:\\S.exe\"", "Item 1: install started",
          "Item 1: install could not be waited for", "Item 1: row 1 result Failed"}},
    };
    for (const Case& c : cases) {
        RunBench run({1});
        run.Add(1, 0, c.installCmd);
        run.launcher.m_slices = c.slices;
        run.Go();
        const std::vector<std::string> lines = run.runLog.Lines();
        ASSERT_EQ(lines.size(), 4 + c.expected.size()) << c.name << "\n" << run.runLog.Joined();
        EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.end() - 1), c.expected) << c.name;
    }
}

// The verdict on a judged code is in the log beside the code itself; unjudged codes get none.
TEST(InstallationRunLog, TheVerdictOnAJudgedExitCode) {
    struct Case {
        const char* name;
        std::vector<std::uint32_t> success;
        std::vector<std::uint32_t> restart;
        std::optional<std::uint32_t> exitCode;
        const char* verdict;  // empty: no verdict line
        const char* result;
    };
    const Case cases[] = {
        {"not judged", {}, {}, 5u, "", "Item 3: row 1 result Done"},
        {"success", {0}, {}, 0u, "Item 3: exit code 0 is a success code of the disc", "Item 3: row 1 result Done"},
        {"failure", {0}, {}, 5u, "Item 3: exit code 5 is not a success code of the disc; row Failed",
         "Item 3: row 1 result Failed"},
        {"failure, large code", {0}, {}, 0xC0000005u,
         "Item 3: exit code 3221225477 (0xC0000005) is not a success code of the disc; row Failed",
         "Item 3: row 1 result Failed"},
        {"restart", {}, {3010}, 3010u, "Item 3: exit code 3010 is a restart code of the disc; a restart follows",
         "Item 3: row 1 result Done"},
        {"unknown code", {0}, {}, std::nullopt, "Item 3: exit code unknown, not judged; row Done",
         "Item 3: row 1 result Done"},
    };
    for (const Case& c : cases) {
        RunBench run({1});
        CItem& item = run.Add(3, 0, L"\\S.exe");
        item.m_arrSuccessCodes = c.success;
        item.m_arrRestartCodes = c.restart;
        run.launcher.m_exitCodes[L"\"D:\\S.exe\""] = c.exitCode;
        run.Go();
        const std::vector<std::string> lines = run.runLog.Lines();
        std::vector<std::string> expected = {"Item 3: install ended, " + Narrow(ExitCodeText(c.exitCode))};
        if (*c.verdict != '\0') expected.push_back(c.verdict);
        expected.push_back(c.result);
        ASSERT_GE(lines.size(), expected.size() + 1) << c.name;
        EXPECT_EQ(std::vector<std::string>(lines.end() - 1 - expected.size(), lines.end() - 1), expected)
            << c.name << "\n" << run.runLog.Joined();
    }
}

// A driver's installer may bring the whole system down: what was logged up to its start must be
// on the disk by then, not only in the system's cache.
TEST(InstallationRunLog, IsMadeToSurviveASystemCrashBeforeEachCommandStarts) {
    RunBench run({1, 1});
    CItem& installed = run.Add(1, 0, L"\\A.exe");
    installed.m_strUninstallCmd = L"\\A.exe%%-u";
    installed.m_bInstalled = true;
    run.Add(2, 1, L"\\B.exe");
    struct CheckingLauncher : FakeLauncher {
        CheckingLauncher(Log& log, MemoryRunLog& runLog) : FakeLauncher(log), m_runLog(runLog) {}
        std::unique_ptr<StartedProcess> Start(const std::wstring& commandLine) override {
            persistedAtStart.push_back(m_runLog.persistedSize == m_runLog.bytes.size());
            return FakeLauncher::Start(commandLine);
        }
        MemoryRunLog& m_runLog;
        std::vector<bool> persistedAtStart;
    } launcher(run.log, run.runLog);
    const RunServices services{run.list, launcher, run.services, run.services, run.progress,
                               run.services, run.services, run.services, run.runLog.Log(), run.services};
    RunInstallation(run.items, L"D:", RunTexts{L"Installing", L"Done", L"Failed"}, run.switches, services);
    EXPECT_EQ(launcher.persistedAtStart, (std::vector<bool>{true, true, true}));
}

TEST(InstallationRunLog, HowTheRunEnded) {
    struct Case {
        const char* expected;
        int code;
        RunStop stop;
        const wchar_t* waitingList;
        const wchar_t* notRun;
        bool notRunStored;
        bool rescan;
    };
    const Case cases[] = {
        {"complete", WM_INSTALLATION_COMPLETE, RunStop::None, L"", L"", false, false},
        {"complete; re-scan requested", WM_INSTALLATION_COMPLETE, RunStop::None, L"", L"", false, true},
        {"restart, waiting 4@7", WM_INSTALLATION_RESTART, RunStop::None, L"4@7", L"", false, false},
        {"restart, nothing waiting", WM_INSTALLATION_RESTART, RunStop::None, L"", L"", false, false},
        {"stopped on request, not run 7@12, stored in the restart record", WM_INSTALLATION_COMPLETE,
         RunStop::OnRequest, L"", L"7@12", true, false},
        {"stopped on request, not run 7@12, not stored", WM_INSTALLATION_COMPLETE, RunStop::OnRequest, L"",
         L"7@12", false, false},
        {"stopped by an error, not run none; re-scan requested", WM_INSTALLATION_COMPLETE, RunStop::ByError, L"", L"",
         false, true},
    };
    for (const Case& c : cases) {
        RunOutcome outcome;
        outcome.code = c.code;
        outcome.stop = c.stop;
        outcome.m_strWaitingList = c.waitingList;
        outcome.notRun = c.notRun;
        outcome.notRunStored = c.notRunStored;
        outcome.m_bRescanRequested = c.rescan;
        EXPECT_EQ(Narrow(RunOutcomeText(outcome)), c.expected);
    }
}

TEST(InstallationRunLog, ExitCodes) {
    const struct {
        std::optional<std::uint32_t> code;
        const char* expected;
    } cases[] = {
        {0u, "exit code 0"},
        {1u, "exit code 1"},
        {0xFFFFu, "exit code 65535"},
        {0x10000u, "exit code 65536 (0x00010000)"},
        {0xC0000005u, "exit code 3221225477 (0xC0000005)"},
        {0xFFFFFFFFu, "exit code 4294967295 (0xFFFFFFFF)"},
        {std::nullopt, "exit code unknown"},
    };
    for (const auto& c : cases) EXPECT_EQ(Narrow(ExitCodeText(c.code)), c.expected);
}

TEST(ProgressTimer, TickRule) {
    struct Case {
        int before;
        int after;
    };
    const Case cases[] = {{0, 1}, {1, 2}, {98, 99}, {99, 0}, {100, 0}, {-1, 0}};
    for (const Case& c : cases) EXPECT_EQ(NextProgressPosition(c.before), c.after) << "from " << c.before;
}

TEST(ProgressTimer, HundredTicksComeBackToZeroInTheCurrentRow) {
    Log log;
    FakeList list(log, {1, 1, 1});
    ProgressState progress;
    progress.m_nCurrentRow = 2;
    for (int tick = 0; tick < 100; ++tick) AdvanceProgress(progress, list);
    EXPECT_EQ(progress.m_nProgressPos.load(), 0);
    EXPECT_EQ(log.back(), "position 2 0");
    EXPECT_EQ(log[98], "position 2 99");
}


// Supervision: the time limit, the wait for Windows Installer, the reports while an installer runs.

std::vector<WaitResult> StillRunningFor(int slices) { return std::vector<WaitResult>(slices, WaitResult::StillRunning); }

int CountOf(const Log& log, const std::string& line) {
    int count = 0;
    for (const std::string& entry : log) count += entry == line ? 1 : 0;
    return count;
}

// An installer that never ends: the limit that applies ends it after that many one-second slices,
// its row fails, the item's own pause is skipped, and the next item runs.
TEST(InstallationRunSupervision, AnInstallerPastItsTimeLimitIsEndedAndTheRunGoesOn) {
    struct Case {
        const char* name;
        std::uint32_t item;
        RunTimeLimits limits;
        int slices;  // before its processes are ended
        const char* source;
    };
    const Case cases[] = {
        {"the item's own", 3, {}, 3, "Install_Timeout of the item"},
        {"the disc's default", 0, {4, 0}, 4, "Install_Timeout of the disc"},
        {"the item's beats the disc's", 2, {4, 0}, 2, "Install_Timeout of the item"},
        {"the switch beats both", 3, {4, 5}, 5, "/timeout"},
    };
    for (const Case& c : cases) {
        RunBench run({1, 1});
        CItem& hanging = run.Add(1, 0, L"\\Hang.exe");
        hanging.m_nInstallTimeout = c.item;
        hanging.m_nWaitTime = 5000;
        hanging.m_bRestart = true;
        run.Add(2, 1, L"\\Next.exe");
        run.control.timeLimits = c.limits;
        run.launcher.m_slices = StillRunningFor(1000);
        const RunOutcome outcome = run.Go();
        EXPECT_TRUE(outcome.anyFailed) << c.name;
        EXPECT_EQ(outcome.code, WM_INSTALLATION_COMPLETE) << c.name << ": a failed restart item restarts nothing";
        const auto end = std::find(run.log.begin(), run.log.end(), "end all");
        ASSERT_NE(end, run.log.end()) << c.name << "\n" << Joined(run.log);
        EXPECT_EQ(std::count(run.log.begin(), end, "wait 1000"), c.slices) << c.name;
        EXPECT_TRUE(Contains(run.log, "text 0,3 Failed")) << c.name;
        EXPECT_FALSE(Contains(run.log, "sleep 5000")) << c.name;
        EXPECT_TRUE(Contains(run.log, "start \"D:\\Next.exe\"")) << c.name;
        const std::string seconds = std::to_string(c.slices);
        EXPECT_TRUE(run.runLog.Has("Item 1: install timed out after " + seconds + " s (" + c.source +
                                   "), its processes ended: \"D:\\Hang.exe\""))
            << c.name << "\n" << run.runLog.Joined();
        EXPECT_TRUE(run.runLog.Has("Item 1: time limit " + seconds + " s (" + c.source + ")")) << c.name;
    }
}

// An installer that ends within its limit is done as ever; the last slice is cut to what is left.
TEST(InstallationRunSupervision, AnInstallerWithinItsLimitIsDone) {
    RunBench run({1});
    run.Add(1, 0, L"\\A.exe").m_nInstallTimeout = 3;
    run.launcher.m_slices = {WaitResult::StillRunning, WaitResult::StillRunning, WaitResult::Ended};
    const RunOutcome outcome = run.Go();
    EXPECT_FALSE(outcome.anyFailed);
    EXPECT_FALSE(Contains(run.log, "end all"));
    EXPECT_TRUE(Contains(run.log, "text 0,3 Done")) << Joined(run.log);
}

TEST(InstallationRunSupervision, WaitsWhileAnotherInstallationHoldsWindowsInstaller) {
    RunBench run({1});
    run.Add(1, 0, L"\\A.exe");
    run.services.m_busyScript = {true, true, false};
    run.Go();
    EXPECT_EQ(Joined(run.log),
              "progress 0 Installing\nposition 0 0\ntimer on\ndescription Item 1\ncd D:\n"
              "progress 0 Waiting for another installation\n"
              "sleep 1000\nsleep 1000\n"
              "progress 0 Installing\n"
              "start \"D:\\A.exe\"\nwait 1000\nrelease\n"
              "timer off\nstop progress 0\ntext 0,3 Done\nbold 0,3\nsleep 1000\n");
    EXPECT_EQ(run.services.m_busyQuestions, 4u) << "three before the installer, one after it";
    EXPECT_TRUE(run.runLog.Has("Item 1: install waits before it starts: another installation holds Windows Installer"));
    EXPECT_TRUE(run.runLog.Has("Item 1: install: Windows Installer is free after 2 s"));
}

// The wait before counts against the item's limit; without one it ends after ten minutes. The wait
// after an installer ended ends there too. Either way the row fails and the log names the cause.
TEST(InstallationRunSupervision, AWaitForWindowsInstallerThatLastsTooLongFailsTheRow) {
    struct Case {
        const char* name;
        std::vector<bool> script;
        bool busyAfterScript;
        std::uint32_t limit;
        int sleeps;
        bool started;
        const char* logged;
    };
    const Case cases[] = {
        {"busy before, no limit", {}, true, 0, 600, false,
         "Item 1: install: another installation held Windows Installer for 600 s, the longest the program waits; "
         "not started, row Failed"},
        {"busy before, limit 5", {}, true, 5, 5, false,
         "Item 1: install: another installation held Windows Installer for 5 s, the item's time limit; "
         "not started, row Failed"},
        {"busy for the whole limit, then free", {true, true, true, true, true, false}, false, 5, 5, false,
         "Item 1: install: another installation held Windows Installer for 5 s, the item's time limit; "
         "not started, row Failed"},
        {"busy after, limit 5", {false}, true, 5, 600, true,
         "Item 1: install: another installation held Windows Installer for 600 s, the longest the program waits; "
         "row Failed"},
    };
    for (const Case& c : cases) {
        RunBench run({1});
        CItem& item = run.Add(1, 0, L"\\A.exe");
        item.m_nInstallTimeout = c.limit;
        item.m_nType = ITEM_TYPE_OPTIONAL_APP;
        item.m_strGUID = L"{G}";
        item.m_nWaitTime = 5000;
        run.services.m_busyScript = c.script;
        run.services.m_busyAfterScript = c.busyAfterScript;
        const RunOutcome outcome = run.Go();
        EXPECT_TRUE(outcome.anyFailed) << c.name;
        EXPECT_EQ(CountOf(run.log, "sleep 1000"), c.sleeps + 1) << c.name << ": and the pause between items";
        EXPECT_EQ(Contains(run.log, "start \"D:\\A.exe\""), c.started) << c.name;
        EXPECT_TRUE(Contains(run.log, "text 0,3 Failed")) << c.name;
        EXPECT_FALSE(ContainsLineStarting(run.log, "marker ")) << c.name;
        EXPECT_FALSE(Contains(run.log, "sleep 5000")) << c.name;
        EXPECT_TRUE(run.runLog.Has(c.logged)) << c.name << "\n" << run.runLog.Joined();
    }
}

// Each minute: how long the installer has run, and the windows its processes show (the usual
// reason for a hang under a silent switch); the same for a long wait for Windows Installer.
TEST(InstallationRunSupervision, ReportsEachMinuteWhatTheInstallerShows) {
    RunBench run({1});
    run.Add(1, 0, L"\\A.exe");
    run.services.m_busyScript = std::vector<bool>(61, true);
    run.launcher.m_slices = StillRunningFor(125);
    run.launcher.m_titles = {L"Setup", L"Error 1722"};
    run.Go();
    std::vector<std::string> reports;
    for (const std::string& line : run.runLog.Lines()) {
        if (line.find("still") != std::string::npos) reports.push_back(line);
    }
    EXPECT_EQ(reports, (std::vector<std::string>{
                           "Item 1: install still waiting for another installation after 60 s",
                           "Item 1: install still running after 60 s, visible windows: \"Setup\", \"Error 1722\"",
                           "Item 1: install still running after 120 s, visible windows: \"Setup\", \"Error 1722\"",
                       }));
    EXPECT_TRUE(Contains(run.log, "text 0,3 Done"));
}

// An uninstaller ended by the limit, or kept from Windows Installer, leaves the item half removed:
// its installer is not started over it.
TEST(InstallationRunSupervision, AnUninstallThatDidNotFinishKeepsTheInstallFromStarting) {
    RunBench run({1});
    CItem& item = run.Add(1, 0, L"\\A.exe");
    item.m_strUninstallCmd = L"\\A.exe%%-u";
    item.m_bInstalled = true;
    item.m_nInstallTimeout = 2;
    run.launcher.m_slices = StillRunningFor(10);
    const RunOutcome outcome = run.Go();
    EXPECT_TRUE(outcome.anyFailed);
    EXPECT_TRUE(Contains(run.log, "start \"D:\\A.exe\" -u"));
    EXPECT_TRUE(Contains(run.log, "end all"));
    EXPECT_FALSE(Contains(run.log, "start \"D:\\A.exe\"")) << Joined(run.log);
    EXPECT_FALSE(Contains(run.log, "sleep 3000"));
    EXPECT_TRUE(Contains(run.log, "text 0,3 Failed"));
    EXPECT_TRUE(run.runLog.Has("Item 1: install not started, the uninstall did not finish"));
}

TEST(InstallationRunSupervision, AnInstallerFollowedAloneSaysWhy) {
    RunBench run({1});
    run.Add(1, 0, L"\\A.exe");
    run.launcher.m_following = {false, L"no job could be made (error 5)"};
    run.Go();
    EXPECT_TRUE(run.runLog.Has("Item 1: install started; only its own process can be followed: no job could be made (error 5)"))
        << run.runLog.Joined();
    EXPECT_TRUE(Contains(run.log, "text 0,3 Done"));
}

class FakeLogonPrograms : public LogonPrograms {
public:
    std::vector<LogonProgram> Registered() override { return m_programs; }
    std::vector<LogonProgram> m_programs;
};

// Once the installer's own process has ended, the run stops waiting when what it left is only
// resident programs registered to start at every logon: they are logged and left running, and the
// row is judged by the installer's own code. Anything else it left is waited for as ever, up to
// the time limit.
TEST(InstallationRunSupervision, ResidentProgramsAnInstallerLeftAreNotWaitedFor) {
    using Left = std::optional<std::vector<LeftProcess>>;
    const LeftProcess tray{40, L"C:\\Program Files\\Vendor\\Tray.exe"};
    const LeftProcess handOff{41, L"C:\\Windows\\System32\\msiexec.exe"};
    const LeftProcess unknown{42, L""};
    struct Case {
        const char* name;
        std::vector<Left> leftBehind;  // after each slice
        bool withLogonPrograms;
        int slices;      // waited before the run goes on
        bool leftAlone;  // false: the time limit ended it
    };
    const Case cases[] = {
        {"only the tray, at once", {Left{{tray}}}, true, 1, true},
        {"the tray once the hand-off is through", {std::nullopt, Left{{handOff, tray}}, Left{{handOff, tray}}, Left{{tray}}},
         true, 4, true},
        {"a hand-off is waited for", {Left{{handOff, tray}}}, true, 5, false},
        {"an image that cannot be read", {Left{{unknown}}}, true, 5, false},
        {"no logon programs read", {Left{{tray}}}, false, 5, false},
    };
    for (const Case& c : cases) {
        RunBench run({1});
        CItem& item = run.Add(1, 0, L"\\Tray\\Setup.exe");
        item.m_arrSuccessCodes = {7};
        item.m_nInstallTimeout = 5;
        run.launcher.m_slices = StillRunningFor(1000);
        run.launcher.m_leftBehind = c.leftBehind;
        run.launcher.m_exitCodes[L"\"D:\\Tray\\Setup.exe\""] = 7;
        FakeLogonPrograms logon;
        logon.m_programs = {
            {L"HKCU\\Run", L"Other", L"C:\\Other\\Other.exe"},
            {L"HKLM\\Run (32-bit view)", L"Tray", L"\"c:\\program files\\vendor\\tray.exe\" /background"}};
        if (c.withLogonPrograms) run.control.logonPrograms = &logon;
        const RunOutcome outcome = run.Go();
        EXPECT_EQ(std::count(run.log.begin(), run.log.end(), "wait 1000"), c.slices) << c.name << "\n" << Joined(run.log);
        EXPECT_EQ(Contains(run.log, "end all"), !c.leftAlone) << c.name;
        EXPECT_EQ(outcome.anyFailed, !c.leftAlone) << c.name;
        EXPECT_EQ(run.runLog.Has("Item 1: install: left running: C:\\Program Files\\Vendor\\Tray.exe (process 40), "
                                 "started at every logon by HKLM\\Run (32-bit view) \"Tray\""),
                  c.leftAlone)
            << c.name << "\n" << run.runLog.Joined();
        EXPECT_EQ(run.runLog.Has("Item 1: install ended, exit code 7"), c.leftAlone) << c.name;
        EXPECT_EQ(run.runLog.Has("Item 1: exit code 7 is a success code of the disc"), c.leftAlone) << c.name;
    }
}

// What the run waits for once the installer's own process has ended is logged once.
TEST(InstallationRunSupervision, WhatAnInstallerLeftIsLoggedOnceWhileItIsWaitedFor) {
    RunBench run({1});
    run.Add(1, 0, L"\\A.exe");
    run.launcher.m_slices = StillRunningFor(3);
    run.launcher.m_leftBehind = {std::vector<LeftProcess>{{41, L"C:\\Windows\\System32\\msiexec.exe"}, {42, L""}}};
    FakeLogonPrograms logon;
    run.control.logonPrograms = &logon;
    run.Go();
    const std::string line = "Item 1: install: its own process ended; waiting for the processes it started: "
                             "41 C:\\Windows\\System32\\msiexec.exe, 42 (image unknown)";
    const std::vector<std::string> lines = run.runLog.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), line), 1) << run.runLog.Joined();
    EXPECT_TRUE(Contains(run.log, "text 0,3 Done"));
}

}  // namespace
}  // namespace tavelin

namespace tavelin {
namespace {

// System Restore as the run sees it: each point asked for goes into the run's own record of steps,
// so the test sees it among the commands.
class RecordingSystemRestore : public RestorePointService {
public:
    explicit RecordingSystemRestore(Log& log) : m_log(log) {}
    RestorePointResult Create(const std::wstring& description) override {
        m_log.push_back("restore point " + Narrow(description));
        return {RestorePointAnswer::Unavailable, 0, 0, false};
    }
    Log& m_log;
};

TEST(InstallationRun, TheRestorePointComesBeforeTheFirstDriversCommandsOnceAndTheRunGoesOn) {
    RunBench run({1, 1, 1});
    CItem& application = run.Add(2, 0, L"\\Apps\\Setup.exe");
    application.m_nType = ITEM_TYPE_OPTIONAL_APP;
    CItem& driver = run.Add(5, 1, L"\\Drivers\\Setup.exe");
    driver.m_bInstalled = true;
    driver.m_strUninstallCmd = L"\\Drivers\\Setup.exe%%-u";
    run.Add(7, 2, L"\\Drivers\\Other.exe");
    RecordingSystemRestore system(run.log);
    RestorePointStep step(system, run.runLog.Log(), L"Demo Disc", RestorePointPolicy{});
    RunControl control;
    control.restorePoint = &step;
    const RunServices services{run.list, run.launcher, run.services, run.services, run.progress,
                               run.services, run.services, run.services, run.runLog.Log(), run.services};
    const RunOutcome outcome =
        RunInstallation(run.items, L"D:", RunTexts{L"Installing", L"Done", L"Failed"}, run.switches, services, control);

    std::vector<std::string> steps;
    for (const std::string& entry : run.log) {
        if (entry.rfind("restore point", 0) == 0 || entry.rfind("start ", 0) == 0) steps.push_back(entry);
    }
    EXPECT_EQ(steps, (std::vector<std::string>{
                         "start \"D:\\Apps\\Setup.exe\"",
                         "restore point Tavelin: before installing drivers from Demo Disc",
                         "start \"D:\\Drivers\\Setup.exe\" -u",
                         "start \"D:\\Drivers\\Setup.exe\"",
                         "start \"D:\\Drivers\\Other.exe\"",
                     }));
    EXPECT_FALSE(outcome.anyFailed) << "a machine without System Restore still gets its drivers";
    EXPECT_EQ(outcome.itemResults, (std::vector<std::pair<std::int32_t, bool>>{{2, true}, {5, true}, {7, true}}));
}

}  // namespace
}  // namespace tavelin
