#include "controls/xlist_ctrl.h"

#include <windowsx.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_set>

#include "controls/xlist_paint.h"

namespace tavelin {

const UINT WM_XLISTCTRL_CHECKBOX_CLICKED = RegisterWindowMessageW(L"WM_XLISTCTRL_CHECKBOX_CLICKED");

namespace {

constexpr UINT_PTR kSubclassId = 0x584C;
// lParam: a std::function<void()> to run on the window's thread; the sender waits for it.
const UINT kOwnerThreadCall = RegisterWindowMessageW(L"Tavelin.XListCtrl.OwnerThreadCall");

// The calls handed out with kOwnerThreadCall and not yet run. The message is registered, so any
// thread or process can send it with any lParam; only an address found here is called, and only
// once.
class PendingCalls {
public:
    void Add(const void* call) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_calls.insert(call);
    }
    // True when `call` was pending; it no longer is.
    bool Take(const void* call) {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_calls.erase(call) != 0;
    }

private:
    std::mutex m_lock;
    std::unordered_set<const void*> m_calls;
};

PendingCalls& OwnerThreadCalls() {
    static PendingCalls calls;
    return calls;
}

constexpr COLORREF kGreyCellText = RGB(190, 190, 190);
constexpr COLORREF kGreyCellBack = RGB(255, 255, 255);
// Tool ids encode the cell: row * kToolRowStride + column + 1.
constexpr int kToolRowStride = 1000;
// A reason of two lines takes longer to read than the five seconds a tip stays by default.
constexpr int kToolTipShowMilliseconds = 30000;

using RowRecords = std::vector<CellData>;

// One record per column for a new row; null when they cannot be allocated.
std::unique_ptr<RowRecords> NewRowRecords(int columns) {
    try {
        return std::make_unique<RowRecords>(static_cast<size_t>(columns > 0 ? columns : 0));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// The state image that mirrors a check state: 0 none, 1 clear, 2 checked.
int StateImageOf(int check) { return check == CHECK_NONE ? 0 : check == CHECK_ON ? 2 : 1; }

}  // namespace

template <typename Result, typename Operation>
Result CXListCtrl::OnOwnerThread(Result fallback, Operation operation) const {
    if (m_hWnd == nullptr || GetWindowThreadProcessId(m_hWnd, nullptr) == GetCurrentThreadId()) return operation();
    Result result = fallback;
    std::function<void()> call = [&result, &operation] { result = operation(); };
    OwnerThreadCalls().Add(&call);
    SendMessageW(m_hWnd, kOwnerThreadCall, 0, reinterpret_cast<LPARAM>(&call));
    OwnerThreadCalls().Take(&call);  // not run when the window went away meanwhile
    return result;
}

CXListCtrl::CXListCtrl() { ReadColours(); }

CXListCtrl::~CXListCtrl() { Detach(); }

void CXListCtrl::ReadColours() {
    m_colours.grayText = GetSysColor(COLOR_GRAYTEXT);
    m_colours.highlight = GetSysColor(COLOR_HIGHLIGHT);
    m_colours.highlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    m_colours.window = GetSysColor(COLOR_WINDOW);
    m_colours.windowText = GetSysColor(COLOR_WINDOWTEXT);
    m_colours.face = GetSysColor(COLOR_BTNFACE);
    m_colours.shadow = GetSysColor(COLOR_BTNSHADOW);
}

bool CXListCtrl::Attach(HWND list) {
    if (m_hWnd != nullptr || !IsWindow(list)) return false;
    if (!SetWindowSubclass(list, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) return false;
    m_hWnd = list;
    TakeOverHeader();
    return true;
}

void CXListCtrl::Detach() {
    if (m_hWnd == nullptr) return;
    FreeAllCellData();
    if (m_hToolTip != nullptr) DestroyWindow(m_hToolTip);
    m_hToolTip = nullptr;
    m_nToolId = -1;
    m_header.Detach();
    m_bHeaderSubclassed = false;
    RemoveWindowSubclass(m_hWnd, SubclassProc, kSubclassId);
    m_hWnd = nullptr;
}

void CXListCtrl::TakeOverHeader() {
    if (m_bHeaderSubclassed) return;
    HWND header = HeaderWindow();
    if (header != nullptr && m_header.Attach(header)) m_bHeaderSubclassed = true;
}

HWND CXListCtrl::HeaderWindow() const {
    return m_hWnd != nullptr ? reinterpret_cast<HWND>(SendMessageW(m_hWnd, LVM_GETHEADER, 0, 0)) : nullptr;
}

int CXListCtrl::RowCount() const {
    return m_hWnd != nullptr ? static_cast<int>(SendMessageW(m_hWnd, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

int CXListCtrl::ColumnCount() const {
    HWND header = HeaderWindow();
    if (header == nullptr) return 0;
    const int count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    return count > 0 ? count : 0;
}

RowRecords* CXListCtrl::RowCells(int row) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageW(m_hWnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<RowRecords*>(item.lParam);
}

CellData* CXListCtrl::Cell(int row, int column) const {
    RowRecords* cells = RowCells(row);
    if (cells == nullptr || column < 0 || column >= static_cast<int>(cells->size())) return nullptr;
    return &(*cells)[column];
}

void CXListCtrl::FreeAllCellData() {
    const int count = RowCount();
    for (int row = 0; row < count; ++row) {
        RowRecords* cells = RowCells(row);
        if (cells == nullptr) continue;
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        item.lParam = 0;
        SendMessageW(m_hWnd, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        delete cells;
    }
}

int CXListCtrl::InsertWithRecords(int row, std::unique_ptr<RowRecords> cells, int stateImage) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    item.iItem = row;
    wchar_t empty[] = L"";
    item.pszText = empty;
    item.lParam = reinterpret_cast<LPARAM>(cells.get());
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(stateImage);
    const bool wasMirroring = m_bMirroringCheck;
    m_bMirroringCheck = true;
    const int index = static_cast<int>(SendMessageW(m_hWnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    m_bMirroringCheck = wasMirroring;
    if (index >= 0) cells.release();  // the row holds its records now
    return index;
}

int CXListCtrl::InsertRow(int row, COLORREF text, COLORREF back) {
    return OnOwnerThread(-1, [&]() -> int {
        if (row < 0 || m_hWnd == nullptr) return -1;
        std::unique_ptr<RowRecords> cells = NewRowRecords(ColumnCount());
        if (!cells) {
            // A row whose records cannot be allocated stays in the list without them: it is
            // painted as plain text and clicks on it are discarded.
            InsertWithRecords(row, nullptr, StateImageOf(CHECK_NONE));
            return -1;
        }
        if (!cells->empty()) {
            (*cells)[0].m_crCellText = text;
            (*cells)[0].m_crCellBack = back;
        }
        return InsertWithRecords(row, std::move(cells), StateImageOf(CHECK_NONE));
    });
}

int CXListCtrl::InsertFilledRow(int row, const FilledRow& content) {
    return OnOwnerThread(-1, [&]() -> int {
        if (row < 0 || m_hWnd == nullptr) return -1;
        const int columns = ColumnCount();
        std::unique_ptr<RowRecords> cells = NewRowRecords(columns);
        if (!cells) return -1;
        if (!cells->empty()) {
            CellData& box = (*cells)[0];
            box.m_crCellText = content.text;
            box.m_crCellBack = content.back;
            box.m_nCheck = content.check;
        }
        const int textColumns = std::min(static_cast<int>(content.texts.size()), std::max(columns - 1, 0));
        if (content.grey) {
            for (int column = 1; column <= textColumns; ++column) {
                (*cells)[column].m_crCellText = kGreyCellText;
                (*cells)[column].m_crCellBack = kGreyCellBack;
            }
        }
        const int index =
            InsertWithRecords(row, std::move(cells), StateImageOf(columns > 0 ? content.check : CHECK_NONE));
        if (index < 0) return -1;
        for (int column = 1; column <= textColumns; ++column) {
            LVITEMW text{};
            text.iSubItem = column;
            text.pszText = const_cast<wchar_t*>(content.texts[static_cast<size_t>(column - 1)].c_str());
            SendMessageW(m_hWnd, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&text));
        }
        if (m_nRowBatchDepth == 0) {
            if (GetHeaderCheck(0) != HEADER_CHECK_NONE) RecomputeHeaderCheck(0);
            RECT bounds{};
            bounds.left = LVIR_BOUNDS;
            if (SendMessageW(m_hWnd, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&bounds))) {
                InvalidateRect(m_hWnd, &bounds, TRUE);
            }
        }
        return index;
    });
}

bool CXListCtrl::SetCellText(int row, int column, const std::wstring& text) {
    return OnOwnerThread(false, [&]() -> bool {
        if (!IsValidRow(row) || !IsValidColumn(column)) return false;
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = const_cast<wchar_t*>(text.c_str());
        const bool changed = SendMessageW(m_hWnd, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)) != 0;
        RedrawCell(row, column);
        return changed;
    });
}

bool CXListCtrl::SetCellTextGrey(int row, int column, const wchar_t* text) {
    return OnOwnerThread(false, [&]() -> bool {
        if (!IsValidRow(row) || !IsValidColumn(column)) return false;
        bool changed = true;
        if (text != nullptr) {
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = const_cast<wchar_t*>(text);
            changed = SendMessageW(m_hWnd, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)) != 0;
        }
        if (CellData* cell = Cell(row, column)) {
            cell->m_crCellText = kGreyCellText;
            cell->m_crCellBack = kGreyCellBack;
        }
        RedrawCell(row, column);
        return changed;
    });
}

void CXListCtrl::DeleteAllRows() {
    OnOwnerThread(false, [&]() -> bool {
        if (m_hWnd == nullptr) return false;
        SendMessageW(m_hWnd, LVM_DELETEALLITEMS, 0, 0);  // the records go with the rows (HandleMessage)
        return true;
    });
}

void CXListCtrl::MirrorRowCheck(int row) {
    const CellData* cell = Cell(row, 0);
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(StateImageOf(cell == nullptr ? CHECK_NONE : cell->m_nCheck));
    // The list reports the new state bits to the parent as an item change; a check set by a call
    // or by the header box is no change the parent asked to hear of, and a click's own change
    // reaches it through the registered message and the default handling that follows.
    const bool wasMirroring = m_bMirroringCheck;
    m_bMirroringCheck = true;
    SendMessageW(m_hWnd, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    m_bMirroringCheck = wasMirroring;
}

void CXListCtrl::RecomputeHeaderCheck(int column) {
    SetHeaderCheck(column, CountCheckedRows(column) == RowCount() ? HEADER_CHECK_ON : HEADER_CHECK_OFF);
}

bool CXListCtrl::SetRowCheck(int row, int check) {
    return OnOwnerThread(false, [&]() -> bool {
        if (!IsValidRow(row) || ColumnCount() < 1) return false;
        if (CellData* cell = Cell(row, 0)) {
            cell->m_nCheck = check;
            MirrorRowCheck(row);
        }
        RedrawCell(row, 0);
        if (m_nRowBatchDepth == 0 && GetHeaderCheck(0) != HEADER_CHECK_NONE) RecomputeHeaderCheck(0);
        return true;
    });
}

void CXListCtrl::BeginRowBatch() {
    if (m_nRowBatchDepth++ > 0 || m_hWnd == nullptr) return;
    // Redrawing off: the list then keeps its scroll bars as they are while rows come in. Left on,
    // every inserted row resized the scroll bars, which cost milliseconds a row. Turning redrawing
    // back on also shows a window, so a hidden list is left alone.
    m_bRedrawHeldOff = (GetWindowLongW(m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (m_bRedrawHeldOff) SendMessageW(m_hWnd, WM_SETREDRAW, FALSE, 0);
}

void CXListCtrl::EndRowBatch() {
    if (m_nRowBatchDepth == 0 || --m_nRowBatchDepth > 0 || m_hWnd == nullptr) return;
    if (m_bRedrawHeldOff) SendMessageW(m_hWnd, WM_SETREDRAW, TRUE, 0);
    m_bRedrawHeldOff = false;
    const int columns = ColumnCount();
    for (int column = 0; column < columns; ++column) {
        if (GetHeaderCheck(column) != HEADER_CHECK_NONE) RecomputeHeaderCheck(column);
    }
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

int CXListCtrl::GetRowCheck(int row) const {
    return OnOwnerThread(-1, [&]() -> int {
        if (!IsValidRow(row) || ColumnCount() < 1) return -1;
        const CellData* cell = Cell(row, 0);
        return cell != nullptr ? cell->m_nCheck : -1;
    });
}

void CXListCtrl::SetRowEnabled(int row, bool enabled) {
    OnOwnerThread(false, [&]() -> bool {
        if (!IsValidRow(row)) return false;
        CellData* cell = Cell(row, 0);
        if (cell == nullptr) return false;
        cell->m_bRowEnabled = enabled;
        RECT bounds{};
        bounds.left = LVIR_BOUNDS;
        SendMessageW(m_hWnd, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
        InvalidateRect(m_hWnd, &bounds, TRUE);
        UpdateWindow(m_hWnd);
        return true;
    });
}

bool CXListCtrl::StartRowProgress(int row, const wchar_t* format) {
    return OnOwnerThread(false, [&]() -> bool {
        if (!IsValidRow(row) || ColumnCount() <= PROGRESS_COLUMN) return false;
        if (CellData* cell = Cell(row, PROGRESS_COLUMN)) {
            cell->m_bProgressVisible = true;
            cell->m_nProgress = 0;
            cell->m_bProgressTextVisible = true;
            cell->m_strProgressFormat = format != nullptr ? format : L"";
        }
        RedrawCell(row, PROGRESS_COLUMN);
        return true;
    });
}

bool CXListCtrl::SetRowProgress(int row, int percent) {
    return OnOwnerThread(false, [&]() -> bool {
        if (!IsValidRow(row) || ColumnCount() <= PROGRESS_COLUMN) return false;
        if (CellData* cell = Cell(row, PROGRESS_COLUMN)) cell->m_nProgress = percent;
        RedrawCell(row, PROGRESS_COLUMN);
        return true;
    });
}

bool CXListCtrl::StopRowProgress(int row) {
    return OnOwnerThread(false, [&]() -> bool {
        if (!IsValidRow(row) || ColumnCount() <= PROGRESS_COLUMN) return false;
        if (CellData* cell = Cell(row, PROGRESS_COLUMN)) {
            cell->m_bProgressVisible = false;
            cell->m_nProgress = 0;
        }
        RedrawCell(row, PROGRESS_COLUMN);
        return true;
    });
}

bool CXListCtrl::SetCellBold(int row, int column) {
    return OnOwnerThread(false, [&]() -> bool {
        if (!IsValidRow(row) || !IsValidColumn(column)) return false;
        CellData* cell = Cell(row, column);
        if (cell == nullptr) return false;
        cell->m_bBoldText = true;
        RedrawCell(row, column);
        return true;
    });
}

void CXListCtrl::SetEmptyMessage(const std::wstring& text) {
    OnOwnerThread(false, [&]() -> bool {
        m_strEmptyMessage = text;
        return true;
    });
}

bool CXListCtrl::GetCellRect(int row, int column, int area, RECT& rect) const {
    return OnOwnerThread(false, [&]() -> bool {
        if (!IsValidRow(row) || !IsValidColumn(column)) return false;
        RECT cell{};
        cell.top = column;
        cell.left = area;
        bool found = SendMessageW(m_hWnd, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell)) != 0;
        // Column 0's own bounds span the whole row; the cell ends where column 1 begins.
        if (column == 0 && ColumnCount() >= 2) {
            RECT next{};
            next.top = 1;
            next.left = LVIR_BOUNDS;
            found = SendMessageW(m_hWnd, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&next)) != 0;
            cell.right = next.left;
        }
        rect = cell;
        return found;
    });
}

void CXListCtrl::RedrawCell(int row, int column) {
    OnOwnerThread(false, [&]() -> bool {
        if (m_nRowBatchDepth > 0) return false;  // the batch's end repaints the whole list
        RECT cell;
        if (!GetCellRect(row, column, LVIR_BOUNDS, cell)) return false;
        InvalidateRect(m_hWnd, &cell, TRUE);
        UpdateWindow(m_hWnd);
        return true;
    });
}

int CXListCtrl::CountCheckedRows(int column) const {
    return OnOwnerThread(0, [&]() -> int {
        if (!IsValidColumn(column)) return 0;
        const int rows = RowCount();
        int checked = 0;
        for (int row = 0; row < rows; ++row) {
            const CellData* cell = Cell(row, column);
            if (cell != nullptr && cell->m_nCheck == CHECK_ON) ++checked;
        }
        return checked;
    });
}

int CXListCtrl::GetHeaderCheck(int column) const {
    return OnOwnerThread(-1, [&]() -> int {
        if (!IsValidColumn(column)) return -1;
        HDITEMW item{};
        item.mask = HDI_IMAGE;
        SendMessageW(HeaderWindow(), HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    });
}

bool CXListCtrl::SetHeaderCheck(int column, int state) {
    return OnOwnerThread(false, [&]() -> bool {
        if (!IsValidColumn(column)) return false;
        HDITEMW item{};
        item.mask = HDI_IMAGE;
        item.iImage = state;
        SendMessageW(HeaderWindow(), HDM_SETITEMW, column, reinterpret_cast<LPARAM>(&item));
        return true;
    });
}

int CXListCtrl::ToolHitTest(POINT point) const {
    return OnOwnerThread(-1, [&]() -> int {
        LVHITTESTINFO hit{};
        hit.pt = point;
        SendMessageW(m_hWnd, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.iItem < 0 || (hit.flags & LVHT_ONITEMLABEL) == 0) return -1;
        return hit.iItem * kToolRowStride + hit.iSubItem + 1;
    });
}

void CXListCtrl::EnableToolTips(bool enable) {
    OnOwnerThread(false, [&]() -> bool {
        if (!enable) {
            if (m_hToolTip != nullptr) DestroyWindow(m_hToolTip);
            m_hToolTip = nullptr;
            m_nToolId = -1;
            return true;
        }
        if (m_hToolTip != nullptr || m_hWnd == nullptr) return true;
        // No prefix processing: a hardware id such as PCI\VEN_8086&DEV_27A0 keeps its ampersand.
        m_hToolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                     reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(m_hWnd, GWLP_HINSTANCE)), nullptr);
        if (m_hToolTip == nullptr) return false;
        // A tip breaks its lines at "\n" only when it has a maximum width. The list's width keeps
        // a tip about as wide as the list and wraps only a line longer than that.
        RECT bounds{};
        GetWindowRect(m_hWnd, &bounds);
        SendMessageW(m_hToolTip, TTM_SETMAXTIPWIDTH, 0, std::max<LONG>(bounds.right - bounds.left, 200));
        SendMessageW(m_hToolTip, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(kToolTipShowMilliseconds, 0));
        return true;
    });
}

void CXListCtrl::SetRowTipSource(RowTipSource source) { m_rowTipSource = std::move(source); }

// One tool at a time, for the cell under the mouse: its text is asked for when the tip would show.
void CXListCtrl::TrackToolTip(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_hToolTip == nullptr) return;
    const int id = ToolHitTest({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    if (id != m_nToolId) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = m_hWnd;
        if (m_nToolId >= 0) {
            tool.uId = static_cast<UINT_PTR>(m_nToolId);
            SendMessageW(m_hToolTip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
        if (id >= 0) {
            tool.uId = static_cast<UINT_PTR>(id);
            GetClientRect(m_hWnd, &tool.rect);
            tool.lpszText = LPSTR_TEXTCALLBACKW;
            SendMessageW(m_hToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
        m_nToolId = id;
    }
    MSG relayed{m_hWnd, message, wParam, lParam, 0, {0, 0}};
    SendMessageW(m_hToolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

std::wstring CXListCtrl::TipTextOf(int row, int column) const {
    const CellData* cell = Cell(row, column);
    if (cell != nullptr && !cell->m_strTipText.empty()) return cell->m_strTipText;
    if (m_rowTipSource && IsValidRow(row)) return m_rowTipSource(row);
    return {};
}

// The text goes out through lpszText, not the notification's own buffer of 80 characters, which a
// reason outgrows; the tip copies it after this returns, so it is kept in the object until the
// next tip is asked for.
LRESULT CXListCtrl::OnToolTipText(NMHDR* notify) {
    const int id = static_cast<int>(notify->idFrom) - 1;
    if (id < 0) return 0;
    m_strShownTip = TipTextOf(id / kToolRowStride, id % kToolRowStride);
    if (m_strShownTip.empty()) return 0;
    if (notify->code == TTN_NEEDTEXTW) {
        reinterpret_cast<NMTTDISPINFOW*>(notify)->lpszText = m_strShownTip.data();
    } else {
        const int length = static_cast<int>(m_strShownTip.size());
        const int bytes = WideCharToMultiByte(CP_ACP, 0, m_strShownTip.data(), length, nullptr, 0, nullptr, nullptr);
        m_strShownTipAnsi.assign(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
        if (bytes > 0) {
            WideCharToMultiByte(CP_ACP, 0, m_strShownTip.data(), length, m_strShownTipAnsi.data(), bytes, nullptr,
                                nullptr);
        }
        reinterpret_cast<NMTTDISPINFOA*>(notify)->lpszText = m_strShownTipAnsi.data();
    }
    return 0;
}

bool CXListCtrl::HandleParentNotify(const NMHDR* notify, LRESULT& result) {
    if (notify == nullptr || m_hWnd == nullptr || notify->hwndFrom != m_hWnd) return false;
    switch (notify->code) {
    case NM_CUSTOMDRAW:
        result = OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(notify)));
        return true;
    case LVN_COLUMNCLICK:
        OnColumnClick(reinterpret_cast<const NMLISTVIEW*>(notify)->iSubItem);
        return false;
    case LVN_ITEMCHANGING:
    case LVN_ITEMCHANGED:
        if (!m_bMirroringCheck) return false;
        result = 0;  // let the mirrored state through
        return true;
    default:
        return false;
    }
}

LRESULT CXListCtrl::OnCustomDraw(NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        break;
    default:
        return CDRF_DODEFAULT;
    }

    const int row = static_cast<int>(draw->nmcd.dwItemSpec);
    const int column = draw->iSubItem;
    const CellData* cell = Cell(row, column);
    const CellData* first = Cell(row, 0);
    CellColours colours{m_colours.windowText, m_colours.window};
    if (cell != nullptr) colours = {cell->m_crCellText, cell->m_crCellBack};
    const bool rowEnabled = first == nullptr || first->m_bRowEnabled;
    if (!rowEnabled) colours.text = m_colours.grayText;
    draw->clrText = colours.text;
    draw->clrTextBk = colours.back;

    RECT area{};
    GetCellRect(row, column, LVIR_BOUNDS, area);
    HDC dc = draw->nmcd.hdc;

    if (cell != nullptr && cell->m_bProgressVisible) {
        PaintProgressCell(dc, area, cell->m_nProgress, cell->m_bProgressTextVisible, cell->m_strProgressFormat,
                          colours, m_colours.shadow, m_colours.highlight);
        return CDRF_SKIPDEFAULT;
    }

    // Selection colours: a selected cell is highlighted when the whole row selects or it is the
    // first cell, and only while the list has the focus, unless it shows its selection always.
    const bool selected = (SendMessageW(m_hWnd, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    const bool fullRow = (SendMessageW(m_hWnd, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT) != 0;
    if (selected && (fullRow || column == 0)) {
        if (GetFocus() == m_hWnd) {
            colours = {m_colours.highlightText, m_colours.highlight};
        } else if ((GetWindowLongPtrW(m_hWnd, GWL_STYLE) & LVS_SHOWSELALWAYS) != 0) {
            colours = {m_colours.windowText, m_colours.face};
        }
    }

    std::wstring text;
    {
        std::vector<wchar_t> buffer(260);
        for (;;) {
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = buffer.data();
            item.cchTextMax = static_cast<int>(buffer.size());
            const size_t length =
                static_cast<size_t>(SendMessageW(m_hWnd, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
            if (length + 1 < buffer.size()) {
                text.assign(buffer.data(), length);
                break;
            }
            buffer.resize(buffer.size() * 2);
        }
    }

    if (cell != nullptr && cell->m_nCheck != CHECK_NONE) {
        PaintCheckBoxCell(dc, area, text, cell->m_nCheck, rowEnabled, colours, m_colours.window, m_colours.grayText);
        return CDRF_SKIPDEFAULT;
    }

    HDITEMW header{};
    header.mask = HDI_FORMAT;
    SendMessageW(HeaderWindow(), HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&header));
    const int justify = header.fmt & HDF_JUSTIFYMASK;
    const UINT alignment = justify == HDF_CENTER ? DT_CENTER : justify == HDF_RIGHT ? DT_RIGHT : DT_LEFT;
    PaintTextCell(dc, area, text, alignment, cell != nullptr && cell->m_bBoldText, colours);
    return CDRF_SKIPDEFAULT;
}

int CXListCtrl::RowAtPoint(POINT point) const {
    const int rows = RowCount();
    for (int candidate = 0; candidate < rows; ++candidate) {
        RECT bounds{};
        bounds.left = LVIR_BOUNDS;
        if (SendMessageW(m_hWnd, LVM_GETITEMRECT, candidate, reinterpret_cast<LPARAM>(&bounds)) &&
            PtInRect(&bounds, point)) {
            return candidate;
        }
    }
    return -1;
}

bool CXListCtrl::IsDisabledRowAt(LPARAM lParam) const {
    const int row = RowAtPoint(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    if (row < 0) return false;
    const CellData* first = Cell(row, 0);
    return first == nullptr || !first->m_bRowEnabled;
}

bool CXListCtrl::OnLButtonDown(WPARAM, LPARAM lParam) {
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const int row = RowAtPoint(point);
    if (row < 0) return false;

    // A disabled row swallows the click whole: no selection, no focus and no NM_CLICK, so the
    // owner never acts on a row it has locked (the rows of a running installation).
    const CellData* first = Cell(row, 0);
    if (first == nullptr || !first->m_bRowEnabled) return true;

    const int columns = ColumnCount();
    int column = -1;
    for (int candidate = 0; candidate < columns && column < 0; ++candidate) {
        RECT cell;
        if (GetCellRect(row, candidate, LVIR_BOUNDS, cell) && PtInRect(&cell, point)) column = candidate;
    }
    if (column < 0) return false;

    CellData* cell = Cell(row, column);
    if (cell != nullptr && cell->m_nCheck != CHECK_NONE) {
        cell->m_nCheck = cell->m_nCheck == CHECK_OFF ? CHECK_ON : CHECK_OFF;
        if (column == 0) MirrorRowCheck(row);
        RedrawCell(row, column);
        const bool isChild = (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_CHILD) != 0;
        HWND receiver = isChild ? GetParent(m_hWnd) : GetWindow(m_hWnd, GW_OWNER);
        if (receiver != nullptr && IsWindow(receiver)) {
            SendMessageW(receiver, WM_XLISTCTRL_CHECKBOX_CLICKED, static_cast<WPARAM>(row), column);
        }
        if (GetHeaderCheck(column) != HEADER_CHECK_NONE) RecomputeHeaderCheck(column);
    }
    return false;
}

void CXListCtrl::OnColumnClick(int column) {
    const int current = GetHeaderCheck(column);
    if (current == HEADER_CHECK_NONE || current < 0) return;
    const int state = current == HEADER_CHECK_OFF ? HEADER_CHECK_ON : HEADER_CHECK_OFF;
    SetHeaderCheck(column, state);
    if (HWND header = HeaderWindow()) UpdateWindow(header);

    // Disabled rows follow too: the header box speaks for the whole column.
    const int rows = RowCount();
    for (int row = 0; row < rows; ++row) {
        CellData* cell = Cell(row, column);
        if (cell == nullptr || cell->m_nCheck == CHECK_NONE) continue;
        cell->m_nCheck = state - 1;
        if (column == 0) MirrorRowCheck(row);
        RedrawCell(row, column);
    }
}

void CXListCtrl::PaintEmptyMessage() {
    HDC dc = GetDC(m_hWnd);
    if (dc == nullptr) return;
    // The window rectangle, not the client one, so that the message is centred on the list as
    // the user sees it, border included.
    RECT area;
    GetWindowRect(m_hWnd, &area);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&area), 2);
    if (HWND header = HeaderWindow()) {
        RECT item{};
        if (SendMessageW(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item))) area.top += item.bottom;
    }
    area.top += 10;
    tavelin::PaintEmptyMessage(dc, area, m_strEmptyMessage, {m_colours.windowText, m_colours.window});
    ReleaseDC(m_hWnd, dc);
}

LRESULT CXListCtrl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kOwnerThreadCall) {
        auto* call = reinterpret_cast<std::function<void()>*>(lParam);
        if (call != nullptr && OwnerThreadCalls().Take(call)) (*call)();
        return 0;
    }
    switch (message) {
    case WM_LBUTTONDOWN:
        TrackToolTip(message, wParam, lParam);
        if (OnLButtonDown(wParam, lParam)) return 0;
        break;
    case WM_LBUTTONDBLCLK:
        // The list view selects and focuses the row under a double-click by itself: a locked row
        // swallows it as it does the single click.
        TrackToolTip(message, wParam, lParam);
        if (IsDisabledRowAt(lParam)) return 0;
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        TrackToolTip(message, wParam, lParam);
        break;
    case WM_PAINT: {
        const LRESULT result = DefSubclassProc(m_hWnd, message, wParam, lParam);
        if (RowCount() == 0) PaintEmptyMessage();
        return result;
    }
    case WM_NOTIFY: {
        auto* notify = reinterpret_cast<NMHDR*>(lParam);
        if (m_hToolTip != nullptr && notify->hwndFrom == m_hToolTip &&
            (notify->code == TTN_NEEDTEXTW || notify->code == TTN_NEEDTEXTA)) {
            return OnToolTipText(notify);
        }
        break;
    }
    case WM_SYSCOLORCHANGE: {
        const LRESULT result = DefSubclassProc(m_hWnd, message, wParam, lParam);
        ReadColours();
        // Only top-level windows hear of colour changes; the header is ours to tell.
        if (HWND header = HeaderWindow()) SendMessageW(header, WM_SYSCOLORCHANGE, wParam, lParam);
        return result;
    }
    case LVM_DELETEITEM: {
        // Rows deleted one by one take their records with them.
        const int row = static_cast<int>(wParam);
        if (RowRecords* cells = RowCells(row)) {
            LVITEMW item{};
            item.mask = LVIF_PARAM;
            item.iItem = row;
            SendMessageW(m_hWnd, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            delete cells;
        }
        break;
    }
    case LVM_DELETEALLITEMS: {
        // The records go once their rows are gone: nothing reads them in between, and no row
        // need be told that its record went (a message a row, costly under Wine).
        std::vector<RowRecords*> records;
        const int count = RowCount();
        for (int row = 0; row < count; ++row) records.push_back(RowCells(row));
        const LRESULT deleted = DefSubclassProc(m_hWnd, message, wParam, lParam);
        if (deleted) {
            for (RowRecords* cells : records) delete cells;
        }
        return deleted;
    }
    case WM_DESTROY:
        FreeAllCellData();
        break;
    default:
        break;
    }
    return DefSubclassProc(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CXListCtrl::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR self) {
    auto* list = reinterpret_cast<CXListCtrl*>(self);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, SubclassProc, id);
        list->m_hWnd = nullptr;
        list->m_hToolTip = nullptr;
        list->m_nToolId = -1;
        list->m_bHeaderSubclassed = false;
        return DefSubclassProc(window, message, wParam, lParam);
    }
    return list->HandleMessage(message, wParam, lParam);
}

}  // namespace tavelin
