#include "controls/xlist_geometry.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace tavelin {

CellRect CheckBoxSquare(const CellRect& cell, bool cellHasText) {
    CellRect square;
    square.left = cell.left + 9;
    square.top = cell.top;
    square.bottom = cell.bottom - 1;
    const int side = square.bottom - square.top;
    if (!cellHasText) {
        // C++ division truncates toward zero, as the centring of the box expects.
        square.left = cell.left + (cell.right - cell.left) / 2 - side / 2 - 1;
    }
    square.right = square.left + side;
    return square;
}

CellRect CheckBoxFrame(const CellRect& square) {
    CellRect frame = square;
    frame.left += 1;
    return frame;
}

CheckMark CheckMarkStrokes(const CellRect& frame) {
    const int x0 = frame.left + 9;
    const int y0 = frame.top + 3;
    CheckMark mark;
    for (int k = 0; k < 4; ++k) mark[k] = {x0 - k, y0 + k, y0 + k + 3};
    for (int k = 0; k < 3; ++k) mark[4 + k] = {x0 - 4 - k, y0 + 4 - k, y0 + 4 - k + 3};
    return mark;
}

CellRect CheckBoxTextRect(const CellRect& cell, const CellRect& square) {
    return {square.right + 4, cell.top, cell.right, cell.bottom};
}

ProgressLayout LayoutProgressBar(const CellRect& cell, int percent) {
    ProgressLayout layout;
    CellRect r = cell;
    r.bottom -= 1;
    r.left += 1;
    r.right -= 2;
    layout.bar = r;
    layout.trough = {r.left + 1, r.top + 1, r.right, r.bottom};
    layout.text = {r.left + 1, r.top + 2, r.right - 1, r.bottom - 1};
    if (percent <= 0) return layout;

    // A percent above 100 still shows its number, but the fill stops at the frame.
    const int shown = std::min(percent, 100);
    layout.hasFill = true;
    layout.fill.left = r.left + 2;
    layout.fill.top = r.top + 2;
    layout.fill.bottom = r.bottom;
    layout.fill.right = layout.fill.left + (r.right - layout.fill.left) * shown / 100;
    layout.remainder = {layout.fill.right + 1, r.top + 2, r.right, r.bottom};
    return layout;
}

namespace {

bool IsFlag(wchar_t c) { return c == L'-' || c == L'+' || c == L' ' || c == L'#' || c == L'0'; }
bool IsLengthModifier(wchar_t c) {
    return c == L'h' || c == L'l' || c == L'L' || c == L'q' || c == L'j' || c == L'z' || c == L't';
}
bool IsIntegerConversion(wchar_t c) {
    return c == L'd' || c == L'i' || c == L'u' || c == L'x' || c == L'X' || c == L'o';
}
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Longest width or precision passed on to the runtime; a longer one is shown as written.
constexpr size_t kMaxFieldDigits = 3;

}  // namespace

std::wstring FormatProgressText(const std::wstring& format, int percent) {
    const std::wstring& pattern = format.empty() ? std::wstring(L"%d%%") : format;
    std::wstring out;
    size_t i = 0;
    while (i < pattern.size()) {
        if (pattern[i] != L'%') {
            out += pattern[i++];
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == L'%') {
            out += L'%';
            i += 2;
            continue;
        }
        // Only the parts the runtime can take safely with one int are passed on: flags, a short
        // width and precision, and an integer conversion (length modifiers dropped).
        std::wstring conversion = L"%";
        size_t j = i + 1;
        while (j < pattern.size() && IsFlag(pattern[j])) conversion += pattern[j++];
        size_t digits = 0;
        while (j < pattern.size() && IsDigit(pattern[j])) conversion += pattern[j++], ++digits;
        bool tooLong = digits > kMaxFieldDigits;
        if (j < pattern.size() && pattern[j] == L'.') {
            conversion += pattern[j++];
            digits = 0;
            while (j < pattern.size() && IsDigit(pattern[j])) conversion += pattern[j++], ++digits;
            tooLong = tooLong || digits > kMaxFieldDigits;
        }
        while (j < pattern.size() && IsLengthModifier(pattern[j])) ++j;
        if (j >= pattern.size() || !IsIntegerConversion(pattern[j]) || tooLong) {
            out += pattern[i++];  // not a conversion we fill: the percent sign stands as text
            continue;
        }
        conversion += pattern[j];
        wchar_t buffer[2 * 1000 + 32];
        const int written = std::swprintf(buffer, sizeof buffer / sizeof buffer[0], conversion.c_str(), percent);
        if (written > 0) out.append(buffer, static_cast<size_t>(written));
        i = j + 1;
    }
    return out;
}

}  // namespace tavelin
