// What an unattended start changes in the dialog: the items /items asks for instead of the default
// selection, and the end of a run that nobody watches, with the exit code deployment tools read.
#include <windows.h>

#include <algorithm>

#include "app/tavelin_dlg.h"
#include "config/text.h"
#include "evaluate/list_plan.h"
#include "install/exit_code.h"
#include "runlog/run_log_file_win.h"
#include "ui/resource.h"

bool CTavelinDlg::ApplyItemChoice() {
    if (m_options.items == tavelin::ItemChoice::Recommended) return true;
    if (m_resumeMode != tavelin::ResumeMode::None) {
        Log().Write(L"/items is ignored: the stored waiting list is resumed instead");
        return true;
    }
    // Both choices may name items the recommended view leaves out: the advanced view lists every
    // item that applies.
    if (!m_bAdvancedView) {
        m_bAdvancedView = true;
        SetWindowTextW(Item(IDC_ADVANCE), m_texts.Get(IDS_RECOMMEND).c_str());
        PopulateItemList();
    }
    const auto listed = [this](std::int32_t number) {
        return std::any_of(m_pItemList.begin(), m_pItemList.end(), [number](const auto& item) {
            return item->m_nItemNo == number && item->m_nListRow >= 0;
        });
    };
    const bool byNumber = m_options.items == tavelin::ItemChoice::Numbers;
    if (byNumber) {
        for (std::int32_t number : m_options.numbers) {
            if (listed(number)) continue;
            Log().Write(L"Bad switch: /items names Item_" + std::to_wstring(number) +
                        L", which is not on this disc or does not apply to this machine; nothing is installed");
            EndUnattended(tavelin::kExitBadSwitch, L"a bad switch");
            return false;
        }
    }
    std::wstring chosen;
    for (const auto& item : m_pItemList) {
        if (item->m_nListRow < 0) continue;
        const bool wanted = byNumber ? std::find(m_options.numbers.begin(), m_options.numbers.end(),
                                                 item->m_nItemNo) != m_options.numbers.end()
                                     : tavelin::ChosenByAllItems(*item);
        m_list.SetRowCheck(item->m_nListRow, wanted ? tavelin::CHECK_ON : tavelin::CHECK_OFF);
        if (wanted) chosen += (chosen.empty() ? L"Item_" : L", Item_") + std::to_wstring(item->m_nItemNo);
    }
    Log().Write(L"Items chosen by /items: " + (chosen.empty() ? std::wstring(L"none") : chosen));
    return true;
}

void CTavelinDlg::EndUnattended(int exitCode, const std::wstring& reason) {
    m_bEnding = true;
    m_nExitCode = exitCode;
    Log().Write(L"The program ends with exit code " + std::to_wstring(exitCode) + L": " + reason);
    UnloadVendorLibraries();
    EndDialog(IDCANCEL);
}

std::optional<tavelin::UnattendedResume> CTavelinDlg::UnattendedResume() const {
    if (!Unattended()) return std::nullopt;
    const wchar_t* mode = m_options.mode == tavelin::RunMode::Quiet ? tavelin::kUnattendedQuiet : tavelin::kUnattendedPassive;
    return tavelin::UnattendedResume{mode, m_options.logFile, m_options.noRestart};
}

void CTavelinDlg::ResumeUnattended(const tavelin::UnattendedResume& stored) {
    if (Unattended()) return;  // switches given to this start decide
    m_options.mode = stored.mode == tavelin::kUnattendedQuiet ? tavelin::RunMode::Quiet : tavelin::RunMode::Passive;
    // The caller of the stored run restarts Windows itself; whoever has logged on since must not
    // be restarted from under their work.
    m_options.noRestart = m_options.noRestart || stored.noRestart;
    Log().Write(L"The stored run was unattended: this one goes on " + stored.mode +
                (stored.noRestart ? L", /norestart" : L"") +
                (stored.logFile.empty() ? L"" : L", its log appended to " + stored.logFile));
    // The window has not been shown yet: the population that read the record ends the startup.
    if (m_options.mode == tavelin::RunMode::Quiet) KeepHidden();
    m_windowMessages.Silence();
    if (!stored.logFile.empty() && m_options.logFile.empty()) {
        m_options.logFile = stored.logFile;
        tavelin::AddAppendedLogFile(Log(), stored.logFile);
    }
}
