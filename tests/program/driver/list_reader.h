// Reading the program's item list from another process: each row's cell texts and check state,
// and clicking a row or its check box as the mouse would.
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

// Describes rows compactly for assertions: "Title[x]" for a checked row, "Title[ ]" otherwise,
// joined by " | ".
std::wstring DescribeRows(const std::vector<ListRow>& rows, int titleColumn = 1);

}  // namespace tavelin::testing
