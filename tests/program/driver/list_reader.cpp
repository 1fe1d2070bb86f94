#include "driver/list_reader.h"

#include <commctrl.h>

namespace tavelin::testing {
namespace {

// Memory in the other process, released when it goes.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, SIZE_T size)
        : m_process(process), m_address(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
    ~RemoteBuffer() {
        if (m_address != nullptr) VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    void* Address() const { return m_address; }

private:
    HANDLE m_process;
    void* m_address;
};

const int kTextChars = 512;

// The bounds of a cell of another process's list, in the list's client coordinates; false when
// that process cannot be reached.
bool CellBounds(HWND list, int row, int column, RECT& bounds) {
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process == nullptr) return false;
    {
        RemoteBuffer remote(process, sizeof(RECT));
        RECT request = {};
        request.top = column;
        request.left = LVIR_BOUNDS;
        WriteProcessMemory(process, remote.Address(), &request, sizeof(request), nullptr);
        SendMessageW(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(remote.Address()));
        ReadProcessMemory(process, remote.Address(), &bounds, sizeof(bounds), nullptr);
    }
    CloseHandle(process);
    return true;
}

struct ToolTipSearch {
    DWORD processId;
    std::wstring text;
};

BOOL CALLBACK ReadVisibleToolTip(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<ToolTipSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (owner != search->processId || lstrcmpiW(className, TOOLTIPS_CLASSW) != 0 || !IsWindowVisible(window)) {
        return TRUE;
    }
    wchar_t text[1024] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &length);
    if (text[0] == L'\0') return TRUE;
    search->text = text;
    return FALSE;
}

// The text of a visible tooltip window of the process; empty when none shows. A tooltip answers
// WM_GETTEXT with the text it shows, which the system carries across processes.
std::wstring VisibleToolTipText(DWORD processId) {
    ToolTipSearch search{processId, L""};
    EnumWindows(ReadVisibleToolTip, reinterpret_cast<LPARAM>(&search));
    return search.text;
}

}  // namespace

std::vector<ListRow> ReadListRows(HWND list, int columns) {
    std::vector<ListRow> rows;
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process == nullptr) return rows;
    {
        RemoteBuffer item(process, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
        auto* remoteItem = static_cast<LVITEMW*>(item.Address());
        auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(item.Address()) + sizeof(LVITEMW));
        const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < count; ++row) {
            ListRow read;
            for (int column = 0; column < columns; ++column) {
                LVITEMW request = {};
                request.iSubItem = column;
                request.pszText = remoteText;
                request.cchTextMax = kTextChars;
                WriteProcessMemory(process, remoteItem, &request, sizeof(request), nullptr);
                SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remoteItem));
                wchar_t text[kTextChars] = {};
                ReadProcessMemory(process, remoteText, text, sizeof(text) - sizeof(wchar_t), nullptr);
                read.cells.emplace_back(text);
            }
            const UINT state = static_cast<UINT>(
                SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK | LVIS_SELECTED));
            // The list mirrors each row's check box into its state image: 1 clear, 2 checked.
            const UINT image = (state & LVIS_STATEIMAGEMASK) >> 12;
            read.check = image == 0 ? -1 : static_cast<int>(image) - 1;
            read.selected = (state & LVIS_SELECTED) != 0;
            rows.push_back(std::move(read));
        }
    }
    CloseHandle(process);
    return rows;
}

void ClickListCell(HWND list, int row, int column, WPARAM keys) {
    RECT bounds = {};
    if (!CellBounds(list, row, column, bounds)) return;
    // Column 0's bounds span the whole row: aim near its left end, where the box is.
    const int x = column == 0 ? bounds.left + 14 : (bounds.left + bounds.right) / 2;
    const int y = (bounds.top + bounds.bottom) / 2;
    const LPARAM point = MAKELPARAM(x, y);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON | keys, point);
    PostMessageW(list, WM_LBUTTONUP, keys, point);
}

std::wstring HoverListCellTip(HWND list, int row, int column, const std::wstring& expected, DWORD timeoutMs) {
    RECT bounds = {};
    if (!CellBounds(list, row, column, bounds)) return L"";
    const POINT point{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
    POINT screen = point;
    ClientToScreen(list, &screen);
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);

    // The tooltip shows only while the cursor itself is over the tool, so the cursor goes there and
    // is put back whenever it is reported elsewhere (tests/README.md); the move is posted too, in case
    // the desktop reports none for a cursor moved for it.
    std::wstring shown;
    const DWORD start = GetTickCount();
    for (bool first = true;; first = false) {
        POINT cursor = {};
        GetCursorPos(&cursor);
        if (first || cursor.x != screen.x || cursor.y != screen.y) {
            SetCursorPos(screen.x, screen.y);
            PostMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));
        }
        shown = VisibleToolTipText(processId);
        if (shown == expected || GetTickCount() - start >= timeoutMs) break;
        Sleep(50);
    }
    return shown;
}

std::wstring DescribeRows(const std::vector<ListRow>& rows, int titleColumn) {
    std::wstring text;
    for (const auto& row : rows) {
        if (!text.empty()) text += L" | ";
        const std::wstring title = titleColumn < static_cast<int>(row.cells.size()) ? row.cells[titleColumn] : L"";
        text += title + (row.check == 1 ? L"[x]" : L"[ ]");
    }
    return text;
}

bool ListRowsBecome(HWND list, const std::wstring& expected, DWORD timeoutMs) {
    for (DWORD waited = 0;; waited += 50) {
        if (DescribeRows(ReadListRows(list)) == expected) return true;
        if (waited >= timeoutMs) return false;
        Sleep(50);
    }
}

}  // namespace tavelin::testing
