// The item list: its columns, set up once, and its rows, filled from the evaluated catalogue for
// the current view (and, after a restart, from the stored waiting list).
#include <windows.h>
#include <commctrl.h>

#include "app/tavelin_dlg.h"
#include "config/text.h"
#include "evaluate/list_plan.h"
#include "evaluate/row_reason.h"
#include "ui/resource.h"

namespace {

struct ColumnLayout {
    int textId;
    int format;
    int percentOfWidth;  // 0: the rest of the width
};

const ColumnLayout kColumns[] = {
    {IDS_SELECT_ALL, LVCFMT_LEFT, 13},
    {IDS_NAME, LVCFMT_LEFT, 35},
    {IDS_TYPE, LVCFMT_CENTER, 30},
    {IDS_VERSION, LVCFMT_CENTER, 0},
};

}  // namespace

void CTavelinDlg::SetupItemList() {
    m_list.SetEmptyMessage(m_texts.Get(IDS_ALL_INSTALLED));

    m_headerImages.Reset(ImageList_LoadImageW(Instance(), MAKEINTRESOURCEW(IDB_HEADER_CHECKS), 16, 3, RGB(255, 0, 255),
                                              IMAGE_BITMAP, LR_CREATEDIBSECTION));
    HWND header = reinterpret_cast<HWND>(SendMessageW(m_list.Window(), LVM_GETHEADER, 0, 0));
    if (header != nullptr) SendMessageW(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_headerImages.Get()));
    SendMessageW(m_list.Window(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    m_list.EnableToolTips(true);
    // A row's tooltip says why its item is offered or greyed. It is read from the decision records
    // when the tip shows, so it follows a re-scan and the dependences the user's clicks set.
    m_list.SetRowTipSource([this](int row) {
        return tavelin::RowReason(m_pItemList, m_decisions, row, m_list.GetRowCheck(row), m_texts.Reasons());
    });

    RECT bounds = {};
    GetWindowRect(m_list.Window(), &bounds);
    const int width = bounds.right - bounds.left;
    int column = 0;
    for (const auto& layout : kColumns) {
        int columnWidth = width * layout.percentOfWidth / 100;
        if (layout.percentOfWidth == 0) {
            // The last column takes what the list reports the others to use, less a margin that
            // keeps the horizontal scroll bar away.
            columnWidth = width - 4;
            for (int i = 0; i < column; ++i) {
                columnWidth -= static_cast<int>(SendMessageW(m_list.Window(), LVM_GETCOLUMNWIDTH, i, 0));
            }
        }
        std::wstring text = m_texts.Get(layout.textId);
        LVCOLUMNW lvColumn = {};
        lvColumn.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        lvColumn.fmt = layout.format;
        lvColumn.cx = columnWidth;
        lvColumn.pszText = text.data();
        lvColumn.iSubItem = column;
        SendMessageW(m_list.Window(), LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&lvColumn));
        ++column;
    }
    m_list.SetHeaderCheck(0, tavelin::HEADER_CHECK_OFF);
}

void CTavelinDlg::PopulateItemList() {
    const tavelin::ItemTypeTexts typeTexts{m_texts.Get(IDS_DRIVER), m_texts.Get(IDS_RECOMMEND_APPLICATION),
                                           m_texts.Get(IDS_OPTIONAL_APPLICATION), m_texts.Get(IDS_HOTFIX)};
    ReadWaitingListOnce();
    for (;;) {
        tavelin::ListPopulationInput input;
        input.waitingNumbers = m_waitingNumbers;
        input.advancedView = m_bAdvancedView;
        input.resumeMode = m_resumeMode != tavelin::ResumeMode::None;

        m_list.DeleteAllRows();
        for (auto& item : m_pItemList) item->m_nListRow = -1;

        const std::vector<tavelin::PlannedRow> plan = tavelin::PlanItemList(m_pItemList, input, typeTexts);
        const tavelin::RowBatch batch(m_list);
        auto next = plan.begin();
        const COLORREF text = static_cast<COLORREF>(SendMessageW(m_list.Window(), LVM_GETTEXTCOLOR, 0, 0));
        const COLORREF back = static_cast<COLORREF>(SendMessageW(m_list.Window(), LVM_GETBKCOLOR, 0, 0));
        for (auto& item : m_pItemList) {
            if (m_switches.m_bShowItemStatus) ShowMessage(tavelin::ItemStatusText(*item));
            if (next == plan.end() || next->item != item.get()) continue;
            const tavelin::PlannedRow& planned = *next++;
            tavelin::FilledRow content;
            content.check = planned.checked ? tavelin::CHECK_ON : tavelin::CHECK_OFF;
            content.text = text;
            content.back = back;
            content.texts = {planned.title, planned.typeText, planned.versionText};
            content.grey = planned.installedRow;
            // Inserting at the item's number appends: rows follow catalogue order.
            item->m_nListRow = m_list.InsertFilledRow(item->m_nItemNo, content);
        }

        if (m_list.RowCount() == 0 && !m_bAdvancedView) {
            // Everything is installed: show what is, greyed, and leave no view to switch to.
            m_bAdvancedView = true;
            SetWindowTextW(Item(IDC_ADVANCE), m_texts.Get(IDS_RECOMMEND).c_str());
            EnableWindow(Item(IDC_ADVANCE), FALSE);
            continue;
        }
        if (m_list.RowCount() == 0) EnableWindow(Item(IDC_START), FALSE);
        std::size_t checked = 0;
        for (const tavelin::PlannedRow& planned : plan) checked += planned.checked ? 1 : 0;
        Log().Write(L"List: " + std::to_wstring(plan.size()) + L" rows, " + std::to_wstring(checked) + L" checked, " +
                    (m_bAdvancedView ? L"advanced view" : L"recommended view"));
        break;
    }
    ShowSelectedDescription();  // the rows are new: no row is selected
    if (m_resumeMode == tavelin::ResumeMode::Automatic) OnStart();
}
