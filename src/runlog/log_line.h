// How one entry of the run log looks: every line stamped with the local time to the millisecond,
// then the text. The file is read by people (in the text editor of the machine, perhaps Windows
// XP's) and by tools that split it at line ends, so an entry never breaks the one-line-per-line
// rule: a text of several lines becomes several stamped lines, the later ones indented, and
// control characters are shown as \xNN instead of being written raw.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavelin {

// The local time as the system clock gives it.
struct LogTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// "2024-05-01 09:03:07.045".
std::wstring TimestampText(const LogTime& time);

// The lines of an entry as they are shown, before stamping: split at CR LF, LF or CR; a line
// break at the very end adds no empty line; lines after the first start with kContinuationIndent;
// control characters other than tab (C0, DEL, C1) become \xNN. An empty text is one empty line.
std::vector<std::wstring> LogEntryLines(std::wstring_view text);
inline constexpr wchar_t kContinuationIndent[] = L"    ";

// The entry as the bytes the log file gets: "<timestamp> <line>" for each line, UTF-8, each line
// ending in CR LF (the line end of the system the log is read on).
std::string FormatLogEntry(const LogTime& time, std::wstring_view text);

}  // namespace tavelin
