// Which file a run's log goes to and which older logs go: one file per start of the program in a
// folder of its own, named by the time of the start so that names sort as the starts did, and
// only the newest few kept.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "runlog/log_line.h"

namespace tavelin {

// The folder under the user's temporary folder; never the disc, which may be read-only and is
// shared by every machine it is used on.
inline constexpr wchar_t kRunLogFolderName[] = L"Tavelin";
// Logs kept, the new one included: enough to see the runs before and after a restart and a
// few attempts more, few enough that nobody has to clean up after the program.
inline constexpr std::size_t kRunLogsKept = 10;
// Attempts at a free name when a start in the same millisecond (or a clock set back) took one.
inline constexpr int kRunLogNameAttempts = 100;

// "2024-05-01_09-03-07-045.log" for the first attempt, "2024-05-01_09-03-07-045_2.log" for the
// second, and so on.
std::wstring RunLogFileName(const LogTime& start, int attempt);

// Of the file names in the log folder, those to delete before a new log is made so that, with
// it, `keep` logs are left: the oldest by the time and attempt in their names. Names that are not
// run-log names (the user's own files) are never chosen. Order: oldest first.
std::vector<std::wstring> RunLogsToDelete(const std::vector<std::wstring>& fileNames, std::size_t keep);

// Whether `path` is `folder` or lies inside it, as Windows compares paths: without regard to case,
// with either slash, trailing separators ignored. An empty folder contains nothing.
bool IsWithinFolder(std::wstring_view path, std::wstring_view folder);

}  // namespace tavelin
