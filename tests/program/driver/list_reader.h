// Reading the program's item list from another process: each row's cell texts and check state,
// clicking a row or its check box and hovering a row as the mouse would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tavelin::testing {

struct ListRow {
    std::vector<std::wstring> cells;  // one text per column
    int check = -1;                   // 0 clear, 1 checked, -1 no check box
    bool selected = false;
};

// The rows of a list-view control of another process, with `columns` cells each.
std::vector<ListRow> ReadListRows(HWND list, int columns = 4);

// A left click at the middle of the row's cell in the column (column 0 holds the check box), with
// the modifier keys in `keys` (MK_CONTROL, MK_SHIFT) held as the click reports them.
void ClickListCell(HWND list, int row, int column, WPARAM keys = 0);

// Moves the mouse to the middle of the row's cell, as the user does to read its tooltip, and waits
// up to `timeoutMs` for a tooltip of the list's process to show `expected`. Returns the text the
// tooltip showed last: empty when none showed.
std::wstring HoverListCellTip(HWND list, int row, int column, const std::wstring& expected, DWORD timeoutMs = 10000);

// Describes rows compactly for assertions: "Title[x]" for a checked row, "Title[ ]" otherwise,
// joined by " | ".
std::wstring DescribeRows(const std::vector<ListRow>& rows, int titleColumn = 1);

// Waits until the list's rows, described as above, read `expected`: a click is handled
// asynchronously. False when they did not within the timeout.
bool ListRowsBecome(HWND list, const std::wstring& expected, DWORD timeoutMs = 5000);

}  // namespace tavelin::testing
