// The main dialog's answers to the user: the view buttons, the disc's files opened in the shell and
// the editor, clicks in the item list (check-mark dependences, the description line), the About box.
#include <windows.h>
#include <commctrl.h>

#include "app/tavelin_dlg.h"
#include "evaluate/dependence_propagation.h"
#include "install/process_launcher_win.h"
#include "install/run_notices.h"
#include "ui/about_dlg.h"
#include "ui/resource.h"

namespace {

// The list's check boxes as the dependence propagation sees them.
class ListCheckRows : public tavelin::CheckRows {
public:
    explicit ListCheckRows(tavelin::CXListCtrl& list) : m_list(list) {}
    int GetRowCheck(int row) override { return m_list.GetRowCheck(row); }
    void SetRowCheck(int row, int state) override { m_list.SetRowCheck(row, state); }

private:
    tavelin::CXListCtrl& m_list;
};

// Starts the system's shell or editor the user asked for and forgets it: its handles closed at
// once, failures ignored.
void StartDetached(const std::wstring& commandLine) {
    tavelin::StartSystemProgram(commandLine);
}

}  // namespace

bool CTavelinDlg::HandleCommand(WORD id) {
    switch (id) {
        case IDC_DEFAULT: OnDefault(); return true;
        case IDC_START: OnStart(); return true;
        case IDC_ADVANCE: OnAdvance(); return true;
        case IDC_EXPLORER: OnExplorer(); return true;
        case IDC_FILE_LIST: OnFileList(); return true;
        case IDC_TECH_SUPPORT: OnTechSupport(); return true;
        default: return false;
    }
}

bool CTavelinDlg::HandleNotify(const NMHDR* notify, LRESULT& result) {
    if (notify->idFrom != IDC_ITEM_LIST) return false;
    // The list answers its own drawing and column clicks first, as reflected notifications, and
    // keeps to itself the changes it makes when it records a check mark; the dialog then sees the
    // clicks and the selection changes.
    LRESULT controlResult = 0;
    if (m_list.HandleParentNotify(notify, controlResult)) {
        result = controlResult;
        return true;
    }
    if (notify->code == NM_CLICK) {
        OnListClick();
        result = 0;
        return true;
    }
    if (notify->code == LVN_ITEMCHANGED) {
        // Only a change of selection changes the description. The list also reports every row it
        // fills (its data is set), and answering each with the description control's repaint made
        // filling a long list take a second.
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(notify);
        if ((change->uChanged & LVIF_STATE) != 0 && ((change->uNewState ^ change->uOldState) & LVIS_SELECTED) != 0) {
            ShowSelectedDescription();
        }
        result = 0;
        return true;
    }
    return false;
}

bool CTavelinDlg::OnSysCommand(WPARAM command) {
    // The system keeps the low four bits of a command for itself; every bit above them names it.
    if ((command & ~static_cast<WPARAM>(0xF)) != IDM_ABOUTBOX) return false;
    tavelin::CAboutDlg about(Instance());
    about.DoModal(Window());
    return true;
}

void CTavelinDlg::OnDefault() {
    // The buttons are disabled during a run, but a posted click still arrives.
    if (m_bRunActive) return;
    PopulateItemList();
    EnableRunButtons(true);
}

void CTavelinDlg::OnAdvance() {
    if (m_bRunActive) return;
    // The button names the view it switches to.
    m_bAdvancedView = !m_bAdvancedView;
    SetWindowTextW(Item(IDC_ADVANCE), m_texts.Get(m_bAdvancedView ? IDS_RECOMMEND : IDS_ADVANCE).c_str());
    PopulateItemList();
}

void CTavelinDlg::OnExplorer() {
    StartDetached(L"Explorer " + m_strDiscRoot);
}

void CTavelinDlg::OnFileList() {
    StartDetached(L"NOTEPAD.EXE " + m_strDiscRoot + L"\\FILELIST.TXT");
}

void CTavelinDlg::OnTechSupport() {
    StartDetached(L"NOTEPAD.EXE " + m_strDiscRoot + L"\\TECHSUPP.TXT");
}

int CTavelinDlg::SelectedRow() const {
    return static_cast<int>(SendMessageW(m_list.Window(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CTavelinDlg::ShowSelectedDescription() {
    const int row = SelectedRow();
    if (row < 0) {
        // Before the first run, the place to say that Windows waits for a restart already.
        const bool pending = m_pendingRestart.Any() && !m_bAnyRunEnded;
        SetWindowTextW(Item(IDC_DESCRIPTION), pending ? tavelin::RestartAlreadyPendingText().c_str() : L"");
        return;
    }
    if (const tavelin::CItem* item = tavelin::ItemAtRow(m_pItemList, row)) {
        SetWindowTextW(Item(IDC_DESCRIPTION), item->m_strDescription.c_str());
    }
}

void CTavelinDlg::ApplyDependences() {
    ListCheckRows rows(m_list);
    const std::vector<tavelin::DependenceChange> changes = tavelin::ApplyDependences(m_pItemList, rows, SelectedRow());
    for (const tavelin::DependenceChange& change : changes) {
        Log().Write(L"Item_" + std::to_wstring(change.itemNo) + (change.finding.checked ? L" checked" : L" cleared") +
                    L" through the dependences of Item_" + std::to_wstring(change.finding.causeItemNo));
    }
    tavelin::RecordDependences(changes, m_decisions);
}

void CTavelinDlg::OnListClick() {
    ApplyDependences();
    ShowSelectedDescription();
}
