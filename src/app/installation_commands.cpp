// The dialog's side of an installation run: Start, the progress timer, the worker's final message,
// and what follows it (please-wait pause, re-scan, reboot question, restart with resume); closing
// while a run goes on.
#include <windows.h>

#include <filesystem>

#include "app/tavelin_dlg.h"
#include "config/text.h"
#include "evaluate/evaluation_sequence.h"
#include "install/disc_identity.h"
#include "install/exit_code.h"
#include "install/internal_message.h"
#include "install/logged_restart_record.h"
#include "install/restart_record_win.h"
#include "install/run_notices.h"
#include "install/waiting_list.h"
#include "install/run_fingerprints_win.h"
#include "ui/dialog_texts_text.h"
#include "ui/please_wait_dlg.h"
#include "ui/resource.h"

void CTavelinDlg::OnStart() {
    // One run at a time: a posted click reaches here even while the button is disabled.
    if (m_bRunActive) return;
    if (m_options.scan) {
        Log().Write(L"Start: not in a scan (/scan installs nothing)");
        return;
    }
    if (!m_runUi) m_runUi = std::make_unique<RunUi>(m_list, Item(IDC_DESCRIPTION));
    const bool resumeAtOnce = m_resumeMode == tavelin::ResumeMode::Automatic;
    const tavelin::StartDecision decision =
        tavelin::DecideStart(m_runUi->RunList(), resumeAtOnce, [this] {
            return AskYesNo(m_texts.Get(IDS_INSTALL_NOW), MB_ICONWARNING, true);
        });
    Log().Write(L"Start: " + std::wstring(tavelin::StartDecisionName(decision)) +
                (resumeAtOnce ? L", resuming the stored waiting list" : L""));
    switch (decision) {
        case tavelin::StartDecision::NothingChecked:
            if (resumeAtOnce) {
                // None of the stored items is on this disc any more: nothing is left to resume.
                const bool deleted = tavelin::DeleteRestartRecord();
                Log().Write(std::wstring(L"Restart record deleted, none of its items is listed: ") +
                            (deleted ? L"done" : L"failed"));
                m_resumeMode = tavelin::ResumeMode::None;
                m_waitingNumbers.clear();
                return;
            }
            ShowMessage(m_texts.Get(IDS_CHOOSE_ITEM));
            if (Unattended()) EndUnattended(tavelin::kExitSuccess, L"nothing to install");
            return;
        case tavelin::StartDecision::Declined:
            return;
        case tavelin::StartDecision::StartWorker:
            break;
    }
    EnableRunButtons(false);
    TakeReportSnapshot();

    tavelin::InstallRunSettings settings;
    settings.discRoot = m_strDiscRoot;
    settings.texts = {m_texts.Get(IDS_INSTALLING), m_texts.Get(IDS_DONE), m_texts.Get(IDS_FAILED)};
    settings.switches = m_switches;
    settings.messageTitle = tavelin::ApplicationTitle();
    // Every run keeps the record, so that an interruption loses nothing; but a record another disc
    // left, which the user chose to keep for it, is not overwritten.
    settings.keepRestartRecord = !m_bOtherDiscRecordKept;
    if (m_bOtherDiscRecordKept) Log().Write(L"This run keeps no restart record: the one of another disc stays in place");
    settings.resumedRun = m_resumeMode != tavelin::ResumeMode::None;
    settings.beginCounts = m_beginCounts;
    settings.unattended = UnattendedResume();
    settings.fingerprints = m_runFingerprints;
    settings.discIdentity = m_strDiscIdentity;
    settings.log = m_log;
    settings.restorePoint = RestorePointPolicyOfRun();
    settings.discTitle = m_strCaption;
    settings.timeLimits = {m_nDiscInstallTimeout, m_options.timeoutSeconds};
    // Nobody answers an unattended run's question: it stops when the disc is gone.
    if (!Unattended()) settings.insertDiscQuestion = m_texts.Get(IDS_INSERT_DISC) + L"\n\n" + m_strDiscRoot + L"\\";
    const bool started = m_worker.Start(Window(), *m_runUi, m_pItemList, settings);
    m_hInstallThread = m_worker.ThreadHandle();
    if (!started) {
        Log().Write(L"The installation worker could not be started");
        // Without a worker nothing would ever end the run: the user gets the list and the
        // buttons back, as after answering No.
        tavelin::EnableAllRows(m_runUi->RunList());
        EnableRunButtons(true);
        return;
    }
    m_bRunActive = true;
    // The resumed run has begun: from now on the list and Start behave as on any start.
    m_resumeMode = tavelin::ResumeMode::None;
    m_waitingNumbers.clear();
    m_beginCounts.clear();
}

void CTavelinDlg::OnCancel() {
    if (!m_bRunActive) {
        if (!m_bAnyRunEnded) {
            bool anythingChecked = false;
            for (int row = 0; row < m_list.RowCount(); ++row) {
                anythingChecked = anythingChecked || tavelin::CountsAsChecked(m_list.GetRowCheck(row));
            }
            m_nExitCode = tavelin::ExitCodeOfClosedWindow(false, m_nExitCode, anythingChecked);
            Log().Write(anythingChecked ? L"Closed with items checked and none installed"
                                        : L"Closed with nothing checked to install");
        }
        EndDialog(IDCANCEL);
        return;
    }
    if (m_bCloseWhenRunEnds) return;  // asked already; the run ends after its current item
    // A passive run's window may be closed: that stops the run after its current item, unasked.
    if (!AskYesNo(tavelin::StopRunQuestionText(), MB_ICONQUESTION, true)) return;
    if (!m_bRunActive) {
        // The run ended while the question was open.
        EndDialog(IDCANCEL);
        return;
    }
    Log().Write(L"Stop requested: the run ends after the item being installed, then the window closes");
    m_bCloseWhenRunEnds = true;
    m_worker.RequestStop();
}

void CTavelinDlg::OnProgressTimer() {
    if (m_runUi) m_worker.OnProgressTimer(m_runUi->RunList());
}

void CTavelinDlg::OnInternalMessage(WPARAM code) {
    tavelin::RunOutcome outcome;
    if (m_bRunActive && m_worker.TakeFinishedOutcome(outcome)) {
        OnRunEnded(outcome);
        return;
    }
    switch (tavelin::InternalCodeTimingOf(static_cast<long long>(code), m_bRunActive)) {
        case tavelin::InternalCodeTiming::Now:
            break;
        case tavelin::InternalCodeTiming::AfterTheRun:
            m_deferredCodes.push_back(code);
            return;
        case tavelin::InternalCodeTiming::DroppedByTheRun:
            return;
    }
    switch (tavelin::InternalMessageActionOf(static_cast<long long>(code))) {
        case tavelin::InternalMessageAction::ApplyDependences:
            ApplyDependences();
            break;
        case tavelin::InternalMessageAction::PopulateItemList:
            PopulateItemList();
            break;
        case tavelin::InternalMessageAction::InstallationComplete:
            OnInstallationComplete();
            break;
        case tavelin::InternalMessageAction::RestartAndResume:
            RestartAndResume();
            break;
        case tavelin::InternalMessageAction::ShowUnknownCode:
            ShowMessage(tavelin::kUnknownInternalCodeMessage);
            break;
    }
}

void CTavelinDlg::OnRunEnded(const tavelin::RunOutcome& outcome) {
    m_bRunActive = false;
    m_bAnyRunEnded = true;
    m_bRescanRequested = m_bRescanRequested || outcome.m_bRescanRequested;
    // An error between two items fails no row, but items were never run: a failure all the same.
    m_bAnyItemFailed = m_bAnyItemFailed || outcome.anyFailed || outcome.stop == tavelin::RunStop::ByError ||
                       outcome.stop == tavelin::RunStop::DiscMissing;
    const bool restartItem = outcome.code == tavelin::WM_INSTALLATION_RESTART;
    m_bRestartNeeded = m_bRestartNeeded || restartItem;
    NoteRunResults(outcome);
    for (WPARAM code : m_deferredCodes) PostMessageW(Window(), tavelin::kUmInternal, code, 0);
    m_deferredCodes.clear();

    const std::wstring& itemsLeft = restartItem ? outcome.m_strWaitingList : outcome.notRun;
    const tavelin::RunEndPlan plan = PlanEnd(outcome.stop, !itemsLeft.empty());
    Log().Write(L"Run end: restart " + std::wstring(tavelin::RestartActionName(plan.restart)) +
                (plan.keepRecord ? L", the items left stay in the restart record" : L"") + L", exit code " +
                std::to_wstring(plan.exitCode) +
                (plan.exitCode != plan.exitCodeWithoutRestart
                     ? L" (" + std::to_wstring(plan.exitCodeWithoutRestart) + L" without the restart)"
                     : std::wstring()));
    if (m_bRestartNeeded && m_bAnyItemFailed) {
        Log().Write(L"An item failed, and Windows must restart to finish what was installed: both hold");
    }
    m_nExitCode = plan.exitCodeWithoutRestart;

    if (outcome.stop == tavelin::RunStop::SessionEnded) {
        // Windows ends the program any moment now; the record and RunOnce stay for the next logon.
        EndUnattended(m_nExitCode, outcome.notRunStored
                                       ? L"Windows ends the session; the rest resumes at the next start"
                                       : L"Windows ends the session; the rest could not be stored for the next start");
        return;
    }
    if (m_bCloseWhenRunEnds) {
        if (restartItem && !itemsLeft.empty()) {
            // The user asked to stop: no restart, but the rest resumes after the next one.
            m_strWaitingList = itemsLeft;
            StoreResume();
        } else if (outcome.stop == tavelin::RunStop::OnRequest && !outcome.notRunStored) {
            ShowMessage(tavelin::StoppedRunNotStoredText(TitlesOf(outcome.notRun)));
        }
        if (m_bRestartNeeded) Log().Write(L"Windows must restart to finish installing; the user stopped the run");
        EndUnattended(m_nExitCode, L"the user stopped the run");
        return;
    }
    if (outcome.stop == tavelin::RunStop::DiscMissing) {
        // Without the disc nothing more can be installed, re-scanned or offered: the program ends.
        if (!outcome.notRunStored) ShowMessage(tavelin::StoppedRunNotStoredText(TitlesOf(outcome.notRun)));
        EndUnattended(m_nExitCode, outcome.notRunStored
                                       ? L"the disc is not there; the items not installed wait in the restart record "
                                         L"for the next start of the disc"
                                       : L"the disc is not there; the items not installed could not be stored");
        return;
    }
    if (outcome.stop == tavelin::RunStop::ByError) {
        ShowMessage(tavelin::RunStoppedByErrorText(TitlesOf(outcome.notRun)));
    }
    if (restartItem) {
        m_strWaitingList = outcome.m_strWaitingList;
        RestartAndResume();
    } else {
        OnInstallationComplete();
    }
}

tavelin::RunEndPlan CTavelinDlg::PlanEnd(tavelin::RunStop stop, bool itemsLeft) const {
    tavelin::RunEndFacts facts;
    facts.stop = stop;
    facts.closeRequested = m_bCloseWhenRunEnds;
    facts.anyFailed = m_bAnyItemFailed;
    facts.restartNeeded = m_bRestartNeeded;
    facts.itemsLeft = itemsLeft;
    facts.restartPendingBefore = m_pendingRestart.Any();
    return tavelin::PlanRunEnd(facts, m_options.mode, m_options.noRestart);
}

void CTavelinDlg::OnInstallationComplete() {
    if (m_options.mode == tavelin::RunMode::Quiet) {
        // The disc's pause after a run, without the window that shows it.
        Sleep(tavelin::PleaseWaitLifetimeMs(m_nDiscWaitTime));
    } else {
        tavelin::CPleaseWaitDlg wait(Instance());
        wait.m_strBaseText = m_texts.Get(IDS_PLEASE_WAIT);
        wait.m_nSeconds = m_nDiscWaitTime;
        wait.DoModal(Window());
    }
    if (Unattended()) {
        // Nobody is there to look at the list again or to be asked: Windows restarts when an item
        // needs it (unless /norestart), and not otherwise.
        const tavelin::RunEndPlan plan = PlanEnd(tavelin::RunStop::None, false);
        if (plan.restart == tavelin::RestartAction::Start) {
            RestartUnattended(plan);
            return;
        }
        EndUnattended(plan.exitCode,
                      m_bRestartNeeded          ? L"the run is complete; Windows must restart to finish it (/norestart)"
                      : m_pendingRestart.Any() ? L"the run is complete; Windows waited for a restart before it began"
                                               : L"the run is complete");
        return;
    }
    if (m_bRescanRequested) {
        Rescan();
    } else {
        AskReboot();
    }
}

void CTavelinDlg::RestartUnattended(const tavelin::RunEndPlan& plan) {
    tavelin::Win32RestartSystem windowsSystem;
    tavelin::LoggedRestartSystem system(windowsSystem, Log());
    if (tavelin::RestartWindows(system) == tavelin::RestartStep::RestartScheduled) {
        EndUnattended(plan.exitCode, L"Windows restarts to finish installing");
    } else {
        EndUnattended(plan.exitCodeWithoutRestart, L"Windows refused to restart; it must restart to finish installing");
    }
}

void CTavelinDlg::Rescan() {
    // The worker has ended: nothing reads the old catalogue any more.
    m_worker.Forget();
    m_pItemList.clear();
    m_nItemQuantity = 0;
    m_hInstallThread = nullptr;
    m_bAdvancedView = false;
    m_bRescanRequested = false;

    Log().Write(L"Re-scan after the run");
    if (!LoadAndEvaluateCatalogue(tavelin::EvaluationRun::Rescan)) ShowMessage(kCatalogueTooLargeMessage);
    PopulateItemList();

    EnableRunButtons(true);
}

void CTavelinDlg::AskReboot() {
    const tavelin::RunEndPlan plan = PlanEnd(tavelin::RunStop::None, false);
    m_nExitCode = plan.exitCodeWithoutRestart;
    if (m_options.noRestart) {
        Log().Write(L"No restart question: /norestart");
        UnloadVendorLibraries();
        PostQuitMessage(0);
        return;
    }
    const bool reboot = AskYesNo(m_texts.Get(IDS_REBOOT) + L"?", MB_ICONINFORMATION, false);
    UnloadVendorLibraries();
    if (reboot) {
        Log().Write(L"Restarting Windows");
        Log().Persist();
        if (tavelin::RebootWindows()) {
            m_nExitCode = tavelin::ExitCodeOf({m_bAnyItemFailed, m_bRestartNeeded, true});
        } else {
            Log().Write(L"Windows refused to restart");
        }
    } else {
        PostQuitMessage(0);
    }
}

tavelin::RestartStep CTavelinDlg::StoreResume() {
    tavelin::Win32RestartSystem windowsSystem;
    windowsSystem.SetFingerprints(m_runFingerprints);
    tavelin::LoggedRestartSystem system(windowsSystem, Log());
    tavelin::ResumeDetails details;
    details.unattended = UnattendedResume();
    details.discIdentity = m_strDiscIdentity;
    details.startRestart = false;
    const tavelin::RestartStep step =
        tavelin::RestartAndResume(system, m_strDiscRoot, m_strWaitingList, m_switches, m_messages, details);
    Log().Write(L"Resume stored, waiting list \"" + m_strWaitingList + L"\": " + tavelin::RestartStepName(step));
    return step;
}

void CTavelinDlg::RestartAndResume() {
    // A code posted by someone else, or a run whose restart item was the last one: nothing waits.
    if (m_strWaitingList.empty()) {
        OnInstallationComplete();
        return;
    }
    const tavelin::RunEndPlan plan = PlanEnd(tavelin::RunStop::None, true);
    // Everything the resume needs is stored before anything is asked or restarted: a failure to
    // store it is told without a question that could not be acted on.
    switch (StoreResume()) {
        case tavelin::RestartStep::CompleteInstead:
            OnInstallationComplete();
            return;
        case tavelin::RestartStep::ResumeNotStored:
            // Restarting now would lose the rest of the list without a word: the user restarts
            // and starts the disc again, told which items wait.
            ShowMessage(tavelin::RestartNotStoredText(TitlesOf(m_strWaitingList)));
            EndUnattended(tavelin::kExitItemFailed, L"the rest of the run could not be stored for after the restart");
            return;
        default:
            break;
    }
    if (plan.restart == tavelin::RestartAction::None) {
        EndUnattended(plan.exitCodeWithoutRestart,
                      L"Windows must restart to go on; the restart is left to the caller (/norestart)");
        return;
    }
    // A restart closes the programs the user has open: never without asking.
    if (plan.restart == tavelin::RestartAction::AskFirst && !AskYesNo(m_texts.Get(IDS_RESTART_NOW), MB_ICONQUESTION, true)) {
        EndUnattended(plan.exitCodeWithoutRestart,
                      L"Windows must restart to go on; the user chose to restart later, the rest resumes after it");
        return;
    }
    tavelin::Win32RestartSystem windowsSystem;
    tavelin::LoggedRestartSystem system(windowsSystem, Log());
    if (tavelin::RestartWindows(system) == tavelin::RestartStep::RestartScheduled) {
        m_nExitCode = plan.exitCode;
        // Windows closes the window; nobody waits for an unattended run's end.
        if (Unattended()) EndUnattended(plan.exitCode, L"Windows restarts; the rest resumes after the restart");
        return;
    }
    if (!Unattended()) ShowMessage(tavelin::RestartRefusedText(TitlesOf(m_strWaitingList)));
    EndUnattended(plan.exitCodeWithoutRestart, L"Windows refused to restart; the rest resumes after a restart made later");
}

void CTavelinDlg::ReadWaitingListOnce() {
    if (m_bWaitingListRead) return;
    m_bWaitingListRead = true;
    if (m_options.scan) {
        // The record belongs to the run that goes on after a restart: a scan neither resumes it nor
        // lets it change the selection, and says what a start without it would install.
        Log().Write(L"Resume: not read, a scan leaves the restart record to the run it belongs to");
        return;
    }
    m_strDiscIdentity = tavelin::DiscIdentityOf(std::filesystem::path(m_strIniPath));
    Log().Write(L"Disc identity (SHA-256 of " + m_strIniPath + L"): " +
                (m_strDiscIdentity.empty() ? std::wstring(L"unknown, the file could not be read") : m_strDiscIdentity));
    tavelin::Win32RestartRecordStore windowsStore;
    tavelin::LoggedRestartRecordStore store(windowsStore, Log());
    const tavelin::StoredWaitingList stored = tavelin::ReadWaitingList(store, m_switches, m_messages, m_strDiscIdentity);
    Log().Write(L"Resume: " + std::wstring(tavelin::ResumeModeName(stored.mode)) +
                (stored.list.empty() ? L"" : L", waiting list \"" + stored.list + L"\"") +
                (stored.hold == tavelin::ResumeHold::None ? std::wstring()
                                                          : L", held back: " + std::wstring(tavelin::ResumeHoldName(stored.hold))));
    m_resumeMode = stored.mode;
    m_waitingNumbers = tavelin::SplitWaitingList(stored.list);
    m_beginCounts = stored.beginCounts;
    switch (stored.hold) {
        case tavelin::ResumeHold::None:
            break;
        case tavelin::ResumeHold::RestartFirst:
            HoldForRestart();
            return;
        case tavelin::ResumeHold::OtherDisc:
            if (!ResumeOtherDisc(stored.list)) {
                m_resumeMode = tavelin::ResumeMode::None;
                m_waitingNumbers.clear();
                m_beginCounts.clear();
                m_bOtherDiscRecordKept = true;
                return;
            }
            break;
    }
    if (stored.unattended) ResumeUnattended(*stored.unattended);
    // A record of this disc (or one without its identity) whose catalogue digest differs: the
    // catalogue was changed since the stored run began. The user's own choice to resume another
    // disc's record above stands.
    if (stored.hold == tavelin::ResumeHold::None && stored.mode != tavelin::ResumeMode::None &&
        !ResumeMatchesCatalogue(stored)) {
        m_resumeMode = tavelin::ResumeMode::None;
        m_waitingNumbers.clear();
        m_beginCounts.clear();
    }
}

bool CTavelinDlg::ResumeMatchesCatalogue(const tavelin::StoredWaitingList& stored) {
    const tavelin::FingerprintCheck check = tavelin::CompareFingerprint(
        tavelin::ReadRecordedFingerprint(tavelin::kCatalogueFingerprintValueName), m_runFingerprints.catalogue);
    Log().Write(L"Resume: the catalogue against the one the stored run began with: " +
                std::wstring(tavelin::FingerprintCheckName(check)));
    if (check != tavelin::FingerprintCheck::Differs) return true;
    // The item numbers of the stored list mean other items, or other commands, in another
    // catalogue: nothing of it is installed without the administrator choosing again.
    m_resumeRefusal = L"the disc's catalogue is not the one the stored run began with; nothing is resumed";
    Log().Write(L"Resume refused: " + m_resumeRefusal + L" (waiting list \"" + stored.list + L"\")");
    if (!Unattended()) ShowMessage(tavelin::CatalogueChangedText());
    return false;
}

void CTavelinDlg::HoldForRestart() {
    m_resumeMode = tavelin::ResumeMode::None;
    m_waitingNumbers.clear();
    m_bRestartNeeded = true;
    Log().Write(L"Windows has not restarted since the restart record was written: nothing of it is resumed before "
                L"the restart");
    const tavelin::RunEndPlan plan = PlanEnd(tavelin::RunStop::None, true);
    if (plan.restart != tavelin::RestartAction::AskFirst) {
        EndUnattended(plan.exitCodeWithoutRestart, L"Windows must restart before the stored items can be installed");
        return;
    }
    if (!AskYesNo(m_texts.Get(IDS_RESTART_NOW), MB_ICONQUESTION, false)) {
        EndUnattended(plan.exitCodeWithoutRestart,
                      L"Windows must restart before the stored items can be installed; the user chose to restart later");
        return;
    }
    tavelin::Win32RestartSystem windowsSystem;
    tavelin::LoggedRestartSystem system(windowsSystem, Log());
    if (tavelin::RestartWindows(system) == tavelin::RestartStep::RestartScheduled) {
        EndUnattended(plan.exitCode, L"Windows restarts; the stored items are installed after the restart");
        return;
    }
    ShowMessage(tavelin::RestartRefusedText({}));
    EndUnattended(plan.exitCodeWithoutRestart, L"Windows refused to restart");
}

bool CTavelinDlg::ResumeOtherDisc(const std::wstring& waitingList) {
    if (Unattended()) {
        Log().Write(L"The restart record belongs to another disc: it is left in place, and none of its items is "
                    L"installed from this one");
        return false;
    }
    const bool resume = AskYesNo(tavelin::OtherDiscResumeQuestionText(TitlesOf(waitingList)), MB_ICONQUESTION, false);
    Log().Write(resume ? L"The restart record of another disc is resumed with this disc's items, as the user chose"
                       : L"The restart record of another disc is left in place; this start does not resume it");
    return resume;
}

std::vector<std::wstring> CTavelinDlg::TitlesOf(const std::wstring& waitingList) const {
    return tavelin::TitlesOfWaitingList(m_pItemList, waitingList);
}
