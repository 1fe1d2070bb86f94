// The item list: a report-view list whose every cell we paint, showing a check box (with optional
// text), a progress bar with a caption that changes colour where the bar has passed, or plain text
// in its own colours, optionally bold. Rows can be disabled (grey, clicks ignored). The header of
// a check-box column can carry a box that checks or clears the whole column and follows the rows.
//
// Wiring by the owner:
//   - insert all columns before the first row: each row gets one record per column at insertion;
//   - Attach() the list window (this also takes over its header);
//   - forward every WM_NOTIFY to HandleParentNotify() first; when it returns true, return its
//     result (from a dialog procedure: SetWindowLongPtr(DWLP_MSGRESULT) and TRUE).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/xheader_ctrl.h"

namespace tavelin {

// Check state of a cell.
constexpr int CHECK_NONE = -1;  // the cell has no check box
constexpr int CHECK_OFF = 0;
constexpr int CHECK_ON = 1;

// Check state of a column's header box: the header item's image index.
constexpr int HEADER_CHECK_NONE = 0;  // the column has no header box
constexpr int HEADER_CHECK_OFF = 1;
constexpr int HEADER_CHECK_ON = 2;

// The column that carries the progress bar and the status text of a row being installed.
constexpr int PROGRESS_COLUMN = 3;

// Sent to the list's parent (or owner) after a click has toggled a check box:
// wParam = row, lParam = column.
extern const UINT WM_XLISTCTRL_CHECKBOX_CLICKED;

// A row with all it shows, for InsertFilledRow: the check box of column 0 in the given colours,
// and the texts of the columns after it, greyed or not.
struct FilledRow {
    int check = CHECK_NONE;
    COLORREF text = GetSysColor(COLOR_WINDOWTEXT);  // column 0's colours
    COLORREF back = GetSysColor(COLOR_WINDOW);
    std::vector<std::wstring> texts;  // columns 1, 2, ...; those beyond the last column are left out
    bool grey = false;                // the text columns as SetCellTextGrey leaves them
};

struct CellData {
    bool m_bRowEnabled = true;  // consulted in column 0 only: false greys the row and ignores clicks
    bool m_bBoldText = false;
    std::wstring m_strTipText;
    COLORREF m_crCellText = GetSysColor(COLOR_WINDOWTEXT);
    COLORREF m_crCellBack = GetSysColor(COLOR_WINDOW);
    bool m_bProgressVisible = false;
    int m_nProgress = 0;  // percent
    std::wstring m_strProgressFormat;  // empty: "%d%%"
    bool m_bProgressTextVisible = true;
    int m_nCheck = CHECK_NONE;
};

class CXListCtrl {
public:
    CXListCtrl();
    ~CXListCtrl();
    CXListCtrl(const CXListCtrl&) = delete;
    CXListCtrl& operator=(const CXListCtrl&) = delete;

    // Takes over an existing report-view list and its header. False if `list` is not a window or
    // a list is already held.
    bool Attach(HWND list);
    // Gives the window back, freeing the rows' records first.
    void Detach();
    HWND Window() const { return m_hWnd; }
    CXHeaderCtrl& Header() { return m_header; }
    const CXHeaderCtrl& Header() const { return m_header; }
    bool IsHeaderSubclassed() const { return m_bHeaderSubclassed; }

    // The parent's WM_NOTIFY, offered to the list first. True when the notification is the
    // list's alone (custom draw, and the item changes that only mirror a check state): then
    // `result` is the answer. Column clicks and clicks are handled here and then left to the
    // parent as well (false).
    bool HandleParentNotify(const NMHDR* notify, LRESULT& result);

    // Shows a tool tip over a cell's label: the cell's own tip text, or else its row's from the
    // row tip source. A tip may run to a few lines (separated by "\n") and a few hundred characters.
    void EnableToolTips(bool enable);
    // The tip of a row whose cells have none of their own, or empty for none. It is asked for each
    // time a tip is about to show, so it says what holds then, not what held when the row was
    // filled. Owner thread only.
    using RowTipSource = std::function<std::wstring(int row)>;
    void SetRowTipSource(RowTipSource source);
    HWND ToolTipWindow() const { return m_hToolTip; }

    int InsertRow(int row, COLORREF text, COLORREF back);
    // The same row as InsertRow, SetRowCheck and SetCellText or SetCellTextGrey for each text give,
    // with one message to the list for the row and one for each text. Each message to the list
    // costs a tenth of a millisecond under Wine: a row made call by call took nearly three.
    int InsertFilledRow(int row, const FilledRow& content);
    bool SetCellText(int row, int column, const std::wstring& text);
    // Sets the text when one is given, then greys the cell.
    bool SetCellTextGrey(int row, int column, const wchar_t* text = nullptr);
    void DeleteAllRows();
    bool SetRowCheck(int row, int check);
    int GetRowCheck(int row) const;
    void SetRowEnabled(int row, bool enabled);
    // A format without placeholder shows as a fixed caption; nullptr means the default "%d%%".
    bool StartRowProgress(int row, const wchar_t* format);
    bool SetRowProgress(int row, int percent);
    bool StopRowProgress(int row);
    bool SetCellBold(int row, int column);
    void SetEmptyMessage(const std::wstring& text);
    bool GetCellRect(int row, int column, int area, RECT& rect) const;
    void RedrawCell(int row, int column);
    int CountCheckedRows(int column) const;
    int GetHeaderCheck(int column) const;
    bool SetHeaderCheck(int column, int state);

    int RowCount() const;
    int ColumnCount() const;

    // Filling many rows at once: while a batch is open (owner thread only), the header boxes are
    // not recounted and cells are not repainted one by one; closing the outermost batch recounts
    // every header box once and repaints the list once. Row by row, each check recounted every
    // row for the header box and each cell was painted alone: a list of a few hundred rows took
    // seconds to fill. Use RowBatch to open and close one.
    void BeginRowBatch();
    void EndRowBatch();
    // The tool under a point: row * 1000 + column + 1 over an item's label, -1 elsewhere.
    int ToolHitTest(POINT point) const;

private:
    struct Colours {
        COLORREF grayText, highlight, highlightText, window, windowText, face, shadow;
    };

    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void ReadColours();
    void TakeOverHeader();
    void FreeAllCellData();

    std::vector<CellData>* RowCells(int row) const;
    // Inserts an empty row that holds `cells` as its records, with the check state image given;
    // the index, or -1 (then the records are freed).
    int InsertWithRecords(int row, std::unique_ptr<std::vector<CellData>> cells, int stateImage);
    CellData* Cell(int row, int column) const;
    bool IsValidRow(int row) const { return row >= 0 && row < RowCount(); }
    bool IsValidColumn(int column) const { return column >= 0 && column < ColumnCount(); }
    HWND HeaderWindow() const;
    void RecomputeHeaderCheck(int column);
    // Keeps column 0's check state in the item's state-image bits, where other processes and
    // accessibility tools can read it with LVM_GETITEMSTATE.
    void MirrorRowCheck(int row);

    LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw);
    bool OnLButtonDown(WPARAM wParam, LPARAM lParam);
    int RowAtPoint(POINT point) const;
    // Whether a mouse message's point lies on a row that SetRowEnabled(false) locked.
    bool IsDisabledRowAt(LPARAM lParam) const;
    void OnColumnClick(int column);
    void PaintEmptyMessage();
    LRESULT OnToolTipText(NMHDR* notify);
    std::wstring TipTextOf(int row, int column) const;
    void TrackToolTip(UINT message, WPARAM wParam, LPARAM lParam);

    // Runs an operation on the thread that owns the window: the installation worker calls the
    // row operations, and the records may only change where they are painted.
    template <typename Result, typename Operation>
    Result OnOwnerThread(Result fallback, Operation operation) const;

    HWND m_hWnd = nullptr;
    CXHeaderCtrl m_header;
    bool m_bHeaderSubclassed = false;
    std::wstring m_strEmptyMessage;
    Colours m_colours{};
    HWND m_hToolTip = nullptr;
    int m_nToolId = -1;  // tool currently registered with the tool tip, -1 none
    RowTipSource m_rowTipSource;
    // The text of the tip last asked for, in both forms: the tip reads it after the notification.
    std::wstring m_strShownTip;
    std::string m_strShownTipAnsi;
    bool m_bMirroringCheck = false;  // the item changes the list reports now are our own mirroring
    int m_nRowBatchDepth = 0;        // open batches (BeginRowBatch)
    bool m_bRedrawHeldOff = false;   // the outermost batch turned the list's redrawing off
};

// Opens a batch of row changes on a list for the life of the object.
class RowBatch {
public:
    explicit RowBatch(CXListCtrl& list) : m_list(list) { m_list.BeginRowBatch(); }
    ~RowBatch() { m_list.EndRowBatch(); }
    RowBatch(const RowBatch&) = delete;
    RowBatch& operator=(const RowBatch&) = delete;

private:
    CXListCtrl& m_list;
};

}  // namespace tavelin
