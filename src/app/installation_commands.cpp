// The dialog's side of an installation run: Start, the progress timer, the worker's final message,
// and what follows it (please-wait pause, re-scan, reboot question, restart with resume); closing
// while a run goes on.
#include <windows.h>

#include "app/tavelin_dlg.h"
#include "config/text.h"
#include "evaluate/evaluation_sequence.h"
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
    settings.keepRestartRecord = m_resumeMode != tavelin::ResumeMode::None;
    settings.log = m_log;
    settings.restorePoint = RestorePointPolicyOfRun();
    settings.discTitle = m_strCaption;
    settings.timeLimits = {m_nDiscInstallTimeout, m_options.timeoutSeconds};
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
}

void CTavelinDlg::OnCancel() {
    if (!m_bRunActive) {
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
    m_bRescanRequested = m_bRescanRequested || outcome.m_bRescanRequested;
    m_bAnyItemFailed = m_bAnyItemFailed || outcome.anyFailed;
    NoteRunResults(outcome);
    for (WPARAM code : m_deferredCodes) PostMessageW(Window(), tavelin::kUmInternal, code, 0);
    m_deferredCodes.clear();

    if (m_bCloseWhenRunEnds && outcome.code != tavelin::WM_INSTALLATION_RESTART) {
        if (outcome.stop == tavelin::RunStop::OnRequest && !outcome.notRunStored) {
            ShowMessage(tavelin::StoppedRunNotStoredText(TitlesOf(outcome.notRun)));
        }
        UnloadVendorLibraries();
        m_nExitCode = tavelin::ExitCodeOf({m_bAnyItemFailed, false, false});
        EndDialog(IDCANCEL);
        return;
    }
    if (outcome.stop == tavelin::RunStop::ByError) {
        ShowMessage(tavelin::RunStoppedByErrorText(TitlesOf(outcome.notRun)));
    }
    if (outcome.code == tavelin::WM_INSTALLATION_RESTART) {
        m_strWaitingList = outcome.m_strWaitingList;
        RestartAndResume();
    } else {
        OnInstallationComplete();
    }
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
        // Nobody is there to look at the list again or to be asked about a restart that no item
        // asked for.
        EndUnattended(tavelin::ExitCodeOf({m_bAnyItemFailed, false, false}), L"the run is complete");
        return;
    }
    if (m_bRescanRequested) {
        Rescan();
    } else {
        AskReboot();
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
    m_nExitCode = tavelin::ExitCodeOf({m_bAnyItemFailed, false, false});
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
            if (!m_bAnyItemFailed) m_nExitCode = tavelin::kExitRestartStarted;
        } else {
            Log().Write(L"Windows refused to restart");
        }
    } else {
        PostQuitMessage(0);
    }
}

namespace {

// /norestart: everything a restart with resume needs is stored (the helper, RunOnce, the record),
// but the restart itself is left to whoever deployed the disc.
class RestartLeftToTheCaller : public tavelin::RestartSystem {
public:
    RestartLeftToTheCaller(tavelin::RestartSystem& system, tavelin::RunLog& log) : m_system(system), m_log(log) {}
    std::wstring ProtectedHelperFolder() override { return m_system.ProtectedHelperFolder(); }
    bool CopyOverFile(const std::wstring& from, const std::wstring& to) override {
        return m_system.CopyOverFile(from, to);
    }
    bool SetRunOnce(const std::wstring& commandLine) override { return m_system.SetRunOnce(commandLine); }
    void RemoveRunOnce() override { m_system.RemoveRunOnce(); }
    bool WriteRecord(const std::wstring& waitingList,
                     const std::optional<tavelin::UnattendedResume>& unattended) override {
        return m_system.WriteRecord(waitingList, unattended);
    }
    void StartCommand(const std::wstring& commandLine) override {
        m_log.Write(L"Restart command not started (/norestart): " + commandLine);
    }

private:
    tavelin::RestartSystem& m_system;
    tavelin::RunLog& m_log;
};

}  // namespace

void CTavelinDlg::RestartAndResume() {
    tavelin::Win32RestartSystem windowsSystem;
    windowsSystem.SetFingerprints(m_runFingerprints);
    tavelin::LoggedRestartSystem logged(windowsSystem, Log());
    RestartLeftToTheCaller held(logged, Log());
    tavelin::RestartSystem& system = m_options.noRestart ? static_cast<tavelin::RestartSystem&>(held) : logged;
    const tavelin::RestartStep step =
        tavelin::RestartAndResume(system, m_strDiscRoot, m_strWaitingList, m_switches, m_messages, UnattendedResume());
    Log().Write(L"Restart with resume, waiting list \"" + m_strWaitingList + L"\": " + tavelin::RestartStepName(step));
    switch (step) {
        case tavelin::RestartStep::CompleteInstead:
            OnInstallationComplete();
            break;
        case tavelin::RestartStep::RestartScheduled:
            if (m_options.noRestart) {
                EndUnattended(tavelin::ExitCodeOf({m_bAnyItemFailed, true, false}),
                              L"Windows must restart to go on; the restart is left to the caller (/norestart)");
                break;
            }
            m_nExitCode = tavelin::ExitCodeOf({m_bAnyItemFailed, false, true});
            break;
        case tavelin::RestartStep::ResumeNotStored:
            // Restarting now would lose the rest of the list without a word: the user restarts
            // and starts the disc again, told which items wait.
            ShowMessage(tavelin::RestartNotStoredText(TitlesOf(m_strWaitingList)));
            UnloadVendorLibraries();
            m_nExitCode = tavelin::kExitItemFailed;  // the waiting items were not installed
            PostQuitMessage(0);
            break;
    }
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
    tavelin::Win32RestartRecordStore windowsStore;
    tavelin::LoggedRestartRecordStore store(windowsStore, Log());
    const tavelin::StoredWaitingList stored = tavelin::ReadWaitingList(store, m_switches, m_messages);
    Log().Write(L"Resume: " + std::wstring(tavelin::ResumeModeName(stored.mode)) +
                (stored.list.empty() ? L"" : L", waiting list \"" + stored.list + L"\""));
    if (stored.unattended) ResumeUnattended(*stored.unattended);
    if (stored.mode != tavelin::ResumeMode::None && !ResumeMatchesCatalogue(stored)) return;
    m_resumeMode = stored.mode;
    m_waitingNumbers = tavelin::SplitWaitingList(stored.list);
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

std::vector<std::wstring> CTavelinDlg::TitlesOf(const std::wstring& waitingList) const {
    return tavelin::TitlesOfWaitingList(m_pItemList, waitingList);
}
