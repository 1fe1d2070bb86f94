// The dialog's side of an installation run: Start, the progress timer, the worker's final message,
// and what follows it (please-wait pause, re-scan, reboot question, restart with resume).
#include <windows.h>

#include "app/tavelin_dlg.h"
#include "evaluate/evaluation_passes.h"
#include "install/internal_message.h"
#include "install/restart_record_win.h"
#include "ui/please_wait_dlg.h"
#include "ui/resource.h"

void CTavelinDlg::OnStart() {
    if (!m_runUi) m_runUi = std::make_unique<RunUi>(m_list, Item(IDC_DESCRIPTION));
    const tavelin::StartDecision decision =
        tavelin::DecideStart(m_runUi->RunList(), m_bResumeMode, [this] {
            return tavelin::AppMessageBox(m_hMainWindow, m_texts.Get(IDS_INSTALL_NOW), MB_YESNO | MB_ICONWARNING) == IDYES;
        });
    switch (decision) {
        case tavelin::StartDecision::NothingChecked:
            ShowMessage(m_texts.Get(IDS_CHOOSE_ITEM));
            return;
        case tavelin::StartDecision::Declined:
            return;
        case tavelin::StartDecision::StartWorker:
            break;
    }
    EnableRunButtons(false);

    tavelin::InstallRunSettings settings;
    settings.discRoot = m_strDiscRoot;
    settings.texts = {m_texts.Get(IDS_INSTALLING), m_texts.Get(IDS_DONE), m_texts.Get(IDS_FAILED)};
    settings.switches = m_switches;
    settings.messageTitle = tavelin::ApplicationTitle();
    const bool started = m_worker.Start(Window(), *m_runUi, m_pItemList, settings);
    m_hInstallThread = m_worker.ThreadHandle();
    if (!started) {
        // Without a worker nothing would ever end the run: the user gets the list and the
        // buttons back, as after answering No.
        tavelin::EnableAllRows(m_runUi->RunList());
        EnableRunButtons(true);
    }
}

void CTavelinDlg::OnProgressTimer() {
    if (m_runUi) m_worker.OnProgressTimer(m_runUi->RunList());
}

void CTavelinDlg::OnInternalMessage(WPARAM code) {
    const tavelin::RunOutcome outcome = m_worker.Outcome();
    switch (tavelin::InternalMessageActionOf(static_cast<long long>(code))) {
        case tavelin::InternalMessageAction::ApplyDependences:
            ApplyDependences();
            break;
        case tavelin::InternalMessageAction::PopulateItemList:
            PopulateItemList();
            break;
        case tavelin::InternalMessageAction::InstallationComplete:
            m_bRescanRequested = m_bRescanRequested || outcome.m_bRescanRequested;
            OnInstallationComplete();
            break;
        case tavelin::InternalMessageAction::RestartAndResume:
            m_bRescanRequested = m_bRescanRequested || outcome.m_bRescanRequested;
            m_strWaitingList = outcome.m_strWaitingList;
            RestartAndResume();
            break;
        case tavelin::InternalMessageAction::ShowUnknownCode:
            ShowMessage(tavelin::kUnknownInternalCodeMessage);
            break;
    }
}

void CTavelinDlg::OnInstallationComplete() {
    tavelin::CPleaseWaitDlg wait(Instance());
    wait.m_strBaseText = m_texts.Get(IDS_PLEASE_WAIT);
    wait.m_nSeconds = m_nDiscWaitTime;
    wait.DoModal(Window());
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

    if (!LoadAndEvaluateCatalogue(tavelin::EvaluationRun::Rescan)) ShowMessage(kCatalogueTooLargeMessage);
    PopulateItemList();

    EnableRunButtons(true);
}

void CTavelinDlg::AskReboot() {
    const int answer = tavelin::AppMessageBox(m_hMainWindow, m_texts.Get(IDS_REBOOT) + L"?", MB_YESNO | MB_ICONINFORMATION);
    UnloadVendorLibraries();
    if (answer == IDYES) {
        tavelin::RebootWindows();
    } else {
        PostQuitMessage(0);
    }
}

void CTavelinDlg::RestartAndResume() {
    tavelin::Win32RestartSystem system;
    if (tavelin::RestartAndResume(system, m_strDiscRoot, m_strWaitingList, m_switches, m_messages) ==
        tavelin::RestartStep::CompleteInstead) {
        OnInstallationComplete();
    }
}

std::wstring CTavelinDlg::ReadWaitingList() {
    tavelin::Win32RestartRecordStore store;
    return tavelin::ReadWaitingList(store, m_switches, m_messages, m_bResumeMode);
}
