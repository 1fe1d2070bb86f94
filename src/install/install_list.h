// The rows of the item list as the Start command and the installation run see them. The program
// implements it over its check-box list; tests record the calls. Column 3 is the status cell.
#pragma once

#include <string>

namespace tavelin {

constexpr int kStatusColumn = 3;

class InstallList {
public:
    virtual ~InstallList() = default;

    virtual int RowCount() = 0;
    // The check state of column 0: 0 unchecked, another value checked, -1 when it cannot be read.
    virtual int GetRowCheck(int row) = 0;
    virtual void SetRowEnabled(int row, bool enabled) = 0;
    // caption is a format without placeholder: the bar shows it as soon as its position is above 0.
    virtual void StartRowProgress(int row, const std::wstring& caption) = 0;
    virtual void SetRowProgress(int row, int position) = 0;
    virtual void StopRowProgress(int row) = 0;
    virtual void SetCellText(int row, int column, const std::wstring& text) = 0;
    virtual void SetCellBold(int row, int column) = 0;
};

// A state the list could not read counts as checked: installing too much beats silently skipping.
inline bool CountsAsChecked(int checkState) { return checkState != 0; }

}  // namespace tavelin
