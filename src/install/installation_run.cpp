#include "install/installation_run.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "config/text.h"
#include "install/command_line.h"
#include "install/disc_presence.h"
#include "install/installer_result.h"
#include "install/installer_seal.h"
#include "install/resume_loop.h"
#include "install/waiting_list.h"

namespace tavelin {

namespace {

enum class CommandEnd {
    NotStarted,     // no command, or the system could not start it
    Ended,          // seen to end, with every process it started
    NotAwaitable,   // started, but could not be waited for
    TimedOut,       // still running when its time limit passed: its processes were ended
    InstallerBusy,  // another installation held Windows Installer past the wait's bound: not started
};

struct CommandRun {
    CommandEnd end = CommandEnd::NotStarted;
    std::optional<std::uint32_t> exitCode;  // only when it ended, and only when the system told it
    // Ended, but another installation held Windows Installer past the bound afterwards, so its own
    // work there cannot be known to be through.
    bool busyAfter = false;
};

// What supervising one of an item's commands needs besides the command.
struct CommandContext {
    const RunServices& services;
    const RunTexts& texts;
    int row = 0;
    TimeLimit limit;
    LogonPrograms* logonPrograms = nullptr;  // null: every process left is waited for
};

struct BusyWait {
    bool go = true;
    std::uint64_t waitedMs = 0;
};

// Waits while another installation holds Windows Installer, showing it in the row and reporting
// each minute in the log; `what` names the command ("Item 4: install").
BusyWait WaitForWindowsInstaller(const CommandContext& context, const std::wstring& what, BusyWaitPhase phase) {
    const RunServices& services = context.services;
    const BusyWaitBound bound = BusyWaitBoundOf(context.limit, phase);
    BusyWait wait;
    bool shown = false;
    for (;;) {
        const BusyWaitStep step =
            NextBusyWaitStep(services.windowsInstaller.AnotherInstallationRunning(), wait.waitedMs, bound);
        if (step == BusyWaitStep::Go) break;
        if (step == BusyWaitStep::GiveUp) {
            services.log.Write(BusyGiveUpText(what, phase, wait.waitedMs, bound));
            wait.go = false;
            return wait;
        }
        if (!shown) {
            services.log.Write(BusyWaitBeginsText(what, phase));
            services.list.StartRowProgress(context.row, context.texts.waiting);
            shown = true;
        }
        services.sleeper.Sleep(kWaitSliceMs);
        const std::uint64_t before = wait.waitedMs;
        wait.waitedMs += kWaitSliceMs;
        if (ReportDue(before, wait.waitedMs)) services.log.Write(BusyWaitReportText(what, wait.waitedMs));
    }
    if (shown) {
        services.log.Write(BusyWaitEndsText(what, wait.waitedMs));
        services.list.StartRowProgress(context.row, context.texts.installing);
    }
    return wait;
}

enum class AwaitEnd { Ended, NotAwaitable, TimedOut };

// Once the installer's own process has ended: whether what it left behind is only resident
// programs (install/left_running.h), which are then logged and left running. The first time
// other processes are seen to go on after it, they are logged, so that a long wait says what it
// waits for.
bool OnlyResidentProgramsLeft(StartedProcess& process, const CommandContext& context, const std::wstring& what,
                              bool& reported) {
    if (context.logonPrograms == nullptr) return false;
    const std::optional<std::vector<LeftProcess>> left = process.ProcessesLeftBehind();
    if (!left || left->empty()) return false;
    const LeftProcessesVerdict verdict = JudgeLeftProcesses(*left, context.logonPrograms->Registered());
    if (!verdict.stopWaiting) {
        if (!reported) context.services.log.Write(StillRunningAfterOwnEndText(what, *left));
        reported = true;
        return false;
    }
    for (const ResidentProcess& resident : verdict.leftRunning) {
        context.services.log.Write(LeftRunningText(what, resident));
    }
    return true;
}

// Waits in slices until every process the installer started has ended (but for resident programs
// it left, see above), or until `leftMs` passes when it is given. Each minute the log gets the
// time so far and the windows the installer shows: a dialog under a silent switch is the usual
// reason an installer never ends, and nobody answers it.
AwaitEnd AwaitInstaller(StartedProcess& process, const CommandContext& context, const std::wstring& what,
                        std::optional<std::uint64_t> leftMs) {
    std::uint64_t elapsed = 0;
    bool reportedLeft = false;
    for (;;) {
        if (leftMs && elapsed >= *leftMs) return AwaitEnd::TimedOut;
        const unsigned slice =
            leftMs ? static_cast<unsigned>(std::min<std::uint64_t>(kWaitSliceMs, *leftMs - elapsed)) : kWaitSliceMs;
        switch (process.WaitSlice(slice)) {
            case WaitResult::Ended: return AwaitEnd::Ended;
            case WaitResult::StillRunning: break;
            case WaitResult::Failed: return AwaitEnd::NotAwaitable;
        }
        if (OnlyResidentProgramsLeft(process, context, what, reportedLeft)) return AwaitEnd::Ended;
        const std::uint64_t before = elapsed;
        elapsed += slice;
        if (ReportDue(before, elapsed)) {
            context.services.log.Write(RunningReportText(what, elapsed, process.VisibleWindowTitles()));
        }
    }
}

// Starts one of an item's commands and supervises it; `what` names it in the log ("Item 4:
// install"). The log is made to survive a crash of the system before the command starts: a
// driver's installer is what is most likely to bring one about.
// A sealed command (`seal` not empty) starts only the disc's own file.
std::unique_ptr<StartedProcess> StartCommand(const RunServices& services, const std::wstring& discRoot,
                                             const std::wstring& commandText, const std::wstring& seal,
                                             const std::wstring& commandLine, const std::wstring& what) {
    if (TrimWhiteSpace(seal).empty()) return services.launcher.Start(commandLine);
    const std::wstring program = SealedProgramPath(discRoot, commandText);
    SealVerdict verdict = SealVerdict::SealUnreadable;
    std::unique_ptr<StartedProcess> process;
    if (const std::optional<Sha256Digest> expected = ParseSha256Text(seal)) {
        process = services.launcher.StartSealed(commandLine, program, *expected, verdict);
    }
    if (process) {
        services.log.Write(what + L": " + program + L" is the disc's file (SHA-256 as sealed)");
    } else if (verdict != SealVerdict::Matches) {
        services.log.Write(what + L" not started: " + program + L" is not the disc's file (" +
                           SealVerdictName(verdict) + L")");
    }
    return process;
}

CommandRun RunCommand(const CommandContext& context, const std::wstring& discRoot, const std::wstring& commandText,
                      const std::wstring& seal, const std::wstring& what) {
    const RunServices& services = context.services;
    RunLog& log = services.log;
    // An empty command text would compose to the quoted disc root, which the system may resolve to
    // a program named like the disc folder; such a command is treated as one that could not be
    // started.
    if (TrimWhiteSpace(commandText).empty()) {
        log.Write(what + L": no command, nothing started");
        return CommandRun{};
    }
    const std::wstring commandLine = ComposeCommandLine(discRoot, commandText);
    log.Write(what + L" command line: " + commandLine);
    const BusyWait before = WaitForWindowsInstaller(context, what, BusyWaitPhase::Before);
    if (!before.go) return CommandRun{CommandEnd::InstallerBusy, std::nullopt};
    log.Persist();
    std::unique_ptr<StartedProcess> process = StartCommand(services, discRoot, commandText, seal, commandLine, what);
    if (!process) {
        log.Write(what + L" could not be started");
        return CommandRun{};
    }
    const ProcessFollowing following = process->Following();
    log.Write(following.wholeTree ? what + L" started"
                                  : what + L" started; only its own process can be followed: " + following.whyNot);
    std::optional<std::uint64_t> leftMs;
    if (context.limit.IsSet()) leftMs = context.limit.Milliseconds() - before.waitedMs;
    switch (AwaitInstaller(*process, context, what, leftMs)) {
        case AwaitEnd::Ended: break;
        case AwaitEnd::NotAwaitable:
            log.Write(what + L" could not be waited for");
            return CommandRun{CommandEnd::NotAwaitable, std::nullopt};
        case AwaitEnd::TimedOut:
            process->EndAll();
            log.Write(TimedOutText(what, context.limit, commandLine));
            return CommandRun{CommandEnd::TimedOut, std::nullopt};
    }
    const std::optional<std::uint32_t> exitCode = process->ExitCode();
    log.Write(what + L" ended, " + ExitCodeText(exitCode));
    process.reset();
    const BusyWait after = WaitForWindowsInstaller(context, what, BusyWaitPhase::After);
    return CommandRun{CommandEnd::Ended, exitCode, !after.go};
}

std::wstring MarkerVersionOf(const CItem& item) {
    if (item.m_pVersionList.empty()) return std::wstring();
    return item.m_pVersionList.front().m_strVersion.substr(0, kMaxMarkerVersionLength);
}

bool IsApplication(const CItem& item) {
    return item.m_nType == ITEM_TYPE_RECOMMENDED_APP || item.m_nType == ITEM_TYPE_OPTIONAL_APP;
}

// The checked items from `first` down, in list order.
std::wstring WaitingListFrom(const ItemList& items, InstallList& list, int first) {
    std::vector<int> numbers;
    const int rowCount = list.RowCount();
    for (int later = first; later < rowCount; ++later) {
        if (!CountsAsChecked(list.GetRowCheck(later))) continue;
        if (const CItem* item = ItemAtRow(items, later)) numbers.push_back(item->m_nItemNo);
    }
    return FormatWaitingList(numbers);
}

std::wstring WaitingListBelow(const ItemList& items, InstallList& list, int row) {
    return WaitingListFrom(items, list, row + 1);
}

bool StopRequested(const RunControl& control) {
    return control.stopRequested != nullptr && control.stopRequested->load();
}

void ShowStatus(InstallList& list, int row, const std::wstring& status) {
    list.StopRowProgress(row);
    list.SetCellText(row, kStatusColumn, status);
    list.SetCellBold(row, kStatusColumn);
}

}  // namespace

const wchar_t* StartDecisionName(StartDecision decision) {
    switch (decision) {
        case StartDecision::NothingChecked: return L"NothingChecked";
        case StartDecision::Declined: return L"Declined";
        case StartDecision::StartWorker: return L"StartWorker";
    }
    return L"?";
}

StartDecision DecideStart(InstallList& list, bool resumeMode, const std::function<bool()>& confirmInstall) {
    const int rowCount = list.RowCount();
    bool anyChecked = false;
    for (int row = 0; row < rowCount; ++row) {
        list.SetRowEnabled(row, false);
        if (CountsAsChecked(list.GetRowCheck(row))) anyChecked = true;
    }
    if (!anyChecked) {
        EnableAllRows(list);
        return StartDecision::NothingChecked;
    }
    if (resumeMode || confirmInstall()) return StartDecision::StartWorker;
    EnableAllRows(list);
    return StartDecision::Declined;
}

void EnableAllRows(InstallList& list) {
    for (int row = 0; row < list.RowCount(); ++row) list.SetRowEnabled(row, true);
}

std::wstring UninstallKeyPathOf(const std::wstring& guid) {
    return L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + guid;
}

const wchar_t* RunStopName(RunStop stop) {
    switch (stop) {
        case RunStop::None: return L"None";
        case RunStop::OnRequest: return L"OnRequest";
        case RunStop::ByError: return L"ByError";
        case RunStop::DiscMissing: return L"DiscMissing";
        case RunStop::SessionEnded: return L"SessionEnded";
    }
    return L"?";
}

namespace {

enum class ItemResult { Done, Failed };

const wchar_t* ItemResultName(ItemResult result) { return result == ItemResult::Done ? L"Done" : L"Failed"; }

struct ItemRun {
    ItemResult result = ItemResult::Failed;
    bool restartNeeded = false;  // a done item whose "Restart" flag or exit code asks for a restart
};

bool JudgesExitCodes(const CItem& item) { return !item.m_arrSuccessCodes.empty() || !item.m_arrRestartCodes.empty(); }

// What the installer's end means for the row. Without the disc's exit-code keys, or without a code
// to judge, an installer seen to end is done, as it always was; the code is judged only where the
// disc says what its installer's codes mean.
ItemRun JudgeInstall(const CItem& item, const CommandRun& install, const std::wstring& name, RunLog& log) {
    if (install.end != CommandEnd::Ended || install.busyAfter) return ItemRun{ItemResult::Failed, false};
    if (!JudgesExitCodes(item)) return ItemRun{ItemResult::Done, item.m_bRestart};
    if (!install.exitCode) {
        log.Write(name + L": exit code unknown, not judged; row Done");
        return ItemRun{ItemResult::Done, item.m_bRestart};
    }
    const std::wstring code = ExitCodeText(install.exitCode);
    switch (JudgeInstallerExit(item, *install.exitCode)) {
        case InstallerVerdict::Done:
            log.Write(name + L": " + code + L" is a success code of the disc");
            return ItemRun{ItemResult::Done, item.m_bRestart};
        case InstallerVerdict::DoneRestartNeeded:
            log.Write(name + L": " + code + L" is a restart code of the disc; a restart follows");
            return ItemRun{ItemResult::Done, true};
        case InstallerVerdict::Failed:
            break;
    }
    log.Write(name + L": " + code + L" is not a success code of the disc; row Failed");
    return ItemRun{ItemResult::Failed, false};
}

// An uninstall that had to be stopped, or never got Windows Installer, leaves the item half
// removed or still in the hands of another installation: installing over it is not tried.
bool LeftTheItemUnfinished(const CommandRun& uninstall) {
    return uninstall.end == CommandEnd::TimedOut || uninstall.end == CommandEnd::InstallerBusy || uninstall.busyAfter;
}

// One item: its uninstall when installed, its install, the pauses and the status cell.
ItemRun RunItem(const CItem& item, int row, const std::wstring& discRoot, const RunTexts& texts,
                const RunServices& services, const RunControl& control) {
    InstallList& list = services.list;
    const std::wstring name = L"Item " + DecimalText(item.m_nItemNo);
    services.log.Write(name + L" \"" + item.m_strTitle + L"\", row " + DecimalText(row + 1) + L", begins");
    services.description.SetDescription(item.m_strDescription);
    const std::wstring folder = WorkingFolderOf(discRoot, item.m_strInstallCmd);
    if (services.launcher.ChangeCurrentDirectory(folder)) {
        services.log.Write(name + L": working folder " + folder);
    } else {
        services.log.Write(name + L": working folder " + folder + L" could not be entered; the current folder stays");
    }

    const CommandContext context{services, texts, row, ChooseTimeLimit(item.m_nInstallTimeout, control.timeLimits),
                                 control.logonPrograms};
    if (context.limit.IsSet()) services.log.Write(name + L": " + TimeLimitText(context.limit));

    CommandRun install;
    bool uninstallUnfinished = false;
    if (item.m_bInstalled) {
        services.log.Write(name + L": installed already, uninstalled first");
        const CommandRun uninstall =
            RunCommand(context, discRoot, item.m_strUninstallCmd, item.m_strUninstallSHA256, name + L": uninstall");
        uninstallUnfinished = LeftTheItemUnfinished(uninstall);
        if (uninstallUnfinished) {
            services.log.Write(name + L": install not started, the uninstall did not finish");
        } else if (uninstall.end != CommandEnd::NotStarted) {
            services.sleeper.Sleep(kPauseAfterUninstallMs);
        }
    }
    if (!uninstallUnfinished) install = RunCommand(context, discRoot, item.m_strInstallCmd, item.m_strInstallSHA256,
                                                    name + L": install");
    const ItemRun run = JudgeInstall(item, install, name, services.log);
    const bool done = run.result == ItemResult::Done;
    if (install.end == CommandEnd::Ended && !install.busyAfter && item.m_nWaitTime > 0) {
        services.sleeper.Sleep(static_cast<unsigned>(item.m_nWaitTime));
    }
    services.timer.StopProgressTimer();
    ShowStatus(list, row, done ? texts.done : texts.failed);
    services.log.Write(name + L": row " + DecimalText(row + 1) + L" result " + ItemResultName(run.result));
    // A failed installer installed nothing that detection should take for installed.
    if (done && IsApplication(item) && !item.m_strGUID.empty()) {
        const std::wstring keyPath = UninstallKeyPathOf(item.m_strGUID);
        services.marker.WriteInstallMarker(keyPath, MarkerVersionOf(item));
        services.log.Write(name + L": install marker set in " + keyPath);
    }
    return run;
}

// The rest of the run as this run last stored it in its record (install/run_record.h), with the
// begin counts and whether the helper is registered: a stop reports only what is really there,
// and an unchanged list is not written again.
class StoredRestOfRun {
public:
    StoredRestOfRun(const RunControl& control, RunLog& log)
        : m_record(control.record), m_log(log), m_counts(control.resumedRun ? control.beginCounts : BeginCounts{}) {}

    bool Keeps() const { return m_record != nullptr; }
    BeginCounts& Counts() { return m_counts; }

    bool Store(const std::wstring& waitingList) {
        if (m_record == nullptr) return false;
        m_list = waitingList;
        m_stored = m_record->Store(waitingList, FormatBeginCounts(m_counts, waitingList));
        if (!m_stored) {
            m_log.Write(waitingList.empty()
                            ? L"The restart record could not be removed: the next start may install again what "
                              L"this run installed"
                            : L"The restart record could not be written with \"" + waitingList +
                                  L"\": the run goes on, but the next start after an interruption may not resume "
                                  L"what is left");
        }
        return m_stored;
    }
    // Before an item, once its list is stored: the helper runs at the next logon.
    void RegisterLogonResume() {
        if (m_record == nullptr || !m_stored || m_helperRegistered) return;
        const std::wstring failure = m_record->RegisterLogonResume();
        m_helperRegistered = failure.empty();
        if (!m_helperRegistered) {
            m_log.Write(L"The restart helper could not be registered (" + failure +
                        L"): after an interruption the rest resumes when the disc is started again");
        }
    }
    void UnregisterLogonResume() {
        if (m_record == nullptr || !m_helperRegistered) return;
        m_record->UnregisterLogonResume();
        m_helperRegistered = false;
    }
    // Whether the record holds exactly `waitingList`; stores it when it does not.
    bool Holds(const std::wstring& waitingList) {
        if (m_record == nullptr) return false;
        if (m_stored && m_list == waitingList) return true;
        return Store(waitingList);
    }
    // Whether anything was stored that is still there.
    bool HoldsAList() const { return m_record != nullptr && !m_list.empty(); }

private:
    RunRecord* m_record;
    RunLog& m_log;
    BeginCounts m_counts;
    std::wstring m_list;
    bool m_stored = false;
    bool m_helperRegistered = false;
};

SessionEnd SessionEndOf(const RunControl& control) {
    return control.sessionEnd != nullptr ? control.sessionEnd->load() : SessionEnd::None;
}

// Before an item: while the session may end, no installer starts.
BetweenItems WaitOutSessionEnd(const RunControl& control, const RunServices& services) {
    std::uint64_t heldMs = 0;
    for (;;) {
        const SessionEnd state = SessionEndOf(control);
        const BetweenItems step = BetweenItemsStep(state, heldMs);
        if (step != BetweenItems::Hold) {
            if (heldMs > 0 && step == BetweenItems::Go) {
                services.log.Write(state == SessionEnd::None
                                       ? L"The end of the session was called off: the run goes on"
                                       : L"The session did not end in " + DecimalText(static_cast<long long>(heldMs / 60000)) +
                                             L" minutes: the run goes on");
            }
            return step;
        }
        if (heldMs == 0) {
            services.log.Write(L"Windows is ending the session: no further installer starts until it ends or the end "
                               L"is called off");
            services.log.Persist();
        }
        services.sleeper.Sleep(kWaitSliceMs);
        heldMs += kWaitSliceMs;
    }
}

RunOutcome RunCheckedRows(const ItemList& items, const std::wstring& discRoot, const RunTexts& texts,
                          const DiagnosticSwitches& switches, const RunServices& services, const RunControl& control) {
    InstallList& list = services.list;
    RunOutcome outcome;
    StoredRestOfRun storedRest(control, services.log);
    // For the error path: the row whose item is being run (-1 between items) and the last row
    // whose item was begun.
    int currentRow = -1;
    int lastBegunRow = -1;
    // The row of an item that the end of the session may have cut off: it stays in the record.
    int interruptedRow = -1;
    try {
        for (int row = 0; row < list.RowCount(); ++row) {
            if (!CountsAsChecked(list.GetRowCheck(row))) continue;
            if (StopRequested(control)) {
                outcome.stop = RunStop::OnRequest;
                outcome.notRun = WaitingListFrom(items, list, row);
                outcome.notRunStored = storedRest.Store(outcome.notRun);
                // The user chose to stop: the rest waits for the disc to be started again.
                storedRest.UnregisterLogonResume();
                return outcome;
            }
            if (WaitOutSessionEnd(control, services) == BetweenItems::Stop) {
                outcome.stop = RunStop::SessionEnded;
                outcome.notRun = WaitingListFrom(items, list, interruptedRow >= 0 ? interruptedRow : row);
                outcome.notRunStored = storedRest.Holds(outcome.notRun);
                return outcome;
            }
            if (control.disc != nullptr && !WaitForDisc(*control.disc, control.insertDisc, services.log,
                                                        L"Row " + DecimalText(row + 1))) {
                // Not run, so not failed: the item and the rest wait for the disc in the record.
                outcome.stop = RunStop::DiscMissing;
                outcome.notRun = WaitingListFrom(items, list, interruptedRow >= 0 ? interruptedRow : row);
                outcome.notRunStored = storedRest.Holds(outcome.notRun);
                // Someone answered Cancel: the rest waits for the disc to be started again, as after
                // a stop. With nobody to ask, the helper looks for the disc at the next logon.
                if (control.insertDisc != nullptr) storedRest.UnregisterLogonResume();
                return outcome;
            }

            currentRow = row;
            lastBegunRow = row;
            services.progress.m_nCurrentRow = row;
            list.StartRowProgress(row, texts.installing);
            list.SetRowProgress(row, 0);
            services.progress.m_nProgressPos = 0;
            services.timer.StartProgressTimer();

            const CItem* item = ItemAtRow(items, row);
            if (item == nullptr) {
                services.log.Write(L"Row " + DecimalText(row + 1) + L" holds no item; passed over");
                currentRow = -1;
                continue;
            }

            std::uint32_t& begun = storedRest.Counts()[item->m_nItemNo];
            if (DecideItemBegin(control.resumedRun, begun) == ItemBegin::RefusedLoop) {
                services.log.Write(RefusedLoopText(item->m_nItemNo, begun));
                services.timer.StopProgressTimer();
                ShowStatus(list, row, texts.failed);
                currentRow = -1;
                outcome.anyFailed = true;
                outcome.itemResults.emplace_back(item->m_nItemNo, false);
                storedRest.Store(WaitingListBelow(items, list, row));
                continue;
            }
            // Before the installer starts: an interruption from here on resumes this item.
            ++begun;
            if (storedRest.Keeps() && storedRest.Store(WaitingListFrom(items, list, row))) storedRest.RegisterLogonResume();
            interruptedRow = -1;

            // The session may have begun to end while the record was written.
            if (SessionEndOf(control) != SessionEnd::None &&
                WaitOutSessionEnd(control, services) == BetweenItems::Stop) {
                services.timer.StopProgressTimer();
                list.StopRowProgress(row);
                outcome.stop = RunStop::SessionEnded;
                outcome.notRun = WaitingListFrom(items, list, row);
                outcome.notRunStored = storedRest.Holds(outcome.notRun);
                return outcome;
            }

            if (control.restorePoint != nullptr) control.restorePoint->BeforeItem(*item);
            if (control.shutdownReason != nullptr) control.shutdownReason->Set(texts.installing + L" " + item->m_strTitle);
            const ItemRun run = RunItem(*item, row, discRoot, texts, services, control);
            if (control.shutdownReason != nullptr) control.shutdownReason->Clear();
            currentRow = -1;
            outcome.itemResults.emplace_back(item->m_nItemNo, run.result == ItemResult::Done);
            if (run.result == ItemResult::Failed) outcome.anyFailed = true;
            // The end of the session may have cut the installer off, whatever its row says: the
            // item stays in the record and runs again at the next start.
            const bool interrupted = SessionEndOf(control) != SessionEnd::None;
            if (interrupted) {
                interruptedRow = row;
                services.log.Write(L"Item " + DecimalText(item->m_nItemNo) +
                                   L" ended while Windows was ending the session: it stays in the restart record");
            }
            if (run.result == ItemResult::Done) {
                if (item->m_bRescan) outcome.m_bRescanRequested = true;
                if (run.restartNeeded) {
                    outcome.m_strWaitingList = WaitingListBelow(items, list, row);
                    outcome.code = WM_INSTALLATION_RESTART;
                    // The restart step writes the same list again; with nothing below, it writes
                    // nothing, and the record must not keep this item.
                    if (!interrupted) storedRest.Store(outcome.m_strWaitingList);
                    return outcome;
                }
            }
            if (!interrupted) storedRest.Store(WaitingListBelow(items, list, row));
            services.sleeper.Sleep(kPauseBetweenItemsMs);
        }
        // The last item ended while the session was ending: it stays unless the end is called off.
        if (interruptedRow >= 0 && WaitOutSessionEnd(control, services) == BetweenItems::Stop) {
            outcome.stop = RunStop::SessionEnded;
            outcome.notRun = WaitingListFrom(items, list, interruptedRow);
            outcome.notRunStored = storedRest.Holds(outcome.notRun);
            return outcome;
        }
        if (storedRest.HoldsAList()) storedRest.Store(std::wstring());
        if (switches.m_bShowErrorMessage) services.sink.ShowMessage(L"Post WM_INSTALLATION_COMPLETE");
    } catch (...) {
        outcome.stop = RunStop::ByError;
        // The row being run is shown "Failed" below, whether or not the list lets it be written.
        if (currentRow >= 0) {
            outcome.anyFailed = true;
            try {
                if (const CItem* item = ItemAtRow(items, currentRow)) outcome.itemResults.emplace_back(item->m_nItemNo, false);
            } catch (...) {
            }
        }
        // The list may be what failed; what the run decided so far is kept whatever happens here.
        try {
            if (currentRow >= 0) {
                services.timer.StopProgressTimer();
                ShowStatus(list, currentRow, texts.failed);
            }
            outcome.notRun = WaitingListBelow(items, list, lastBegunRow);
        } catch (...) {
        }
    }
    return outcome;
}

}  // namespace

RunOutcome RunInstallation(const ItemList& items, const std::wstring& discRoot, const RunTexts& texts,
                           const DiagnosticSwitches& switches, const RunServices& services,
                           const RunControl& control) {
    services.log.Write(control.resumedRun ? L"Installation run begins, resumed from the restart record"
                                          : L"Installation run begins");
    const RunOutcome outcome = RunCheckedRows(items, discRoot, texts, switches, services, control);
    services.log.Write(L"Installation run ends: " + RunOutcomeText(outcome));
    return outcome;
}

std::wstring RunOutcomeText(const RunOutcome& outcome) {
    std::wstring text;
    switch (outcome.stop) {
        case RunStop::None:
            if (outcome.code == WM_INSTALLATION_RESTART) {
                text = outcome.m_strWaitingList.empty() ? L"restart, nothing waiting"
                                                        : L"restart, waiting " + outcome.m_strWaitingList;
            } else {
                text = L"complete";
            }
            break;
        case RunStop::OnRequest:
            text = L"stopped on request, not run " + (outcome.notRun.empty() ? L"none" : outcome.notRun) +
                   (outcome.notRunStored ? L", stored in the restart record" : L", not stored");
            break;
        case RunStop::ByError:
            text = L"stopped by an error, not run " + (outcome.notRun.empty() ? L"none" : outcome.notRun);
            break;
        case RunStop::DiscMissing:
            text = L"stopped, the disc is not there, not run " + (outcome.notRun.empty() ? L"none" : outcome.notRun) +
                   (outcome.notRunStored ? L", stored in the restart record" : L", not stored");
            break;
        case RunStop::SessionEnded:
            text = L"stopped, Windows ends the session; not run " + (outcome.notRun.empty() ? L"none" : outcome.notRun) +
                   (outcome.notRunStored ? L", stored in the restart record" : L", not stored");
            break;
    }
    if (outcome.m_bRescanRequested) text += L"; re-scan requested";
    return text;
}

std::wstring ExitCodeText(std::optional<std::uint32_t> code) {
    if (!code) return L"exit code unknown";
    std::wstring text = L"exit code " + std::to_wstring(*code);
    if (*code >= 0x10000) {
        wchar_t hex[16] = {};
        std::swprintf(hex, 16, L" (0x%08X)", static_cast<unsigned>(*code));
        text += hex;
    }
    return text;
}

int NextProgressPosition(int position) { return position >= 99 ? 0 : position + 1; }

void AdvanceProgress(ProgressState& progress, InstallList& list) {
    const int position = NextProgressPosition(progress.m_nProgressPos.load());
    progress.m_nProgressPos = position;
    list.SetRowProgress(progress.m_nCurrentRow.load(), position);
}

}  // namespace tavelin
