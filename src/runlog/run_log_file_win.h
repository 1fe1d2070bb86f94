// The run log of this start as a file in the user's temporary folder (%TEMP%\Tavelin), and the
// clock of its stamps.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/handles.h"
#include "runlog/run_log.h"

namespace tavelin {

class SystemLogClock : public LogClock {
public:
    LogTime Now() override;  // the local time, as the user's clock shows it
};

// A log file opened for this start: shared for reading, so that the user can look at it while the
// program runs; each entry written through to the system at once.
class RunLogFile : public LogDestination {
public:
    explicit RunLogFile(UniqueHandle file) : m_file(std::move(file)) {}
    void Append(const std::string& utf8Lines) override;
    void Persist() override;

private:
    UniqueHandle m_file;
};

// The log of this start. Makes the folder when it is missing, deletes the oldest logs so that
// kRunLogsKept remain with the new one, and makes the new file, starting with a UTF-8 byte-order
// mark (so that the editors of older Windows read it as UTF-8). When any of that fails (no
// temporary folder, a file in the folder's place, no right to write, the folder inside
// `programFolder`, which is the disc) the log keeps nothing and nothing is shown: the program runs
// as it would without one.
std::shared_ptr<RunLog> StartRunLog(const std::wstring& programFolder);

// /log FILE: the log goes to that file as well, appended to what an earlier start wrote there (the
// same deployment before a restart). A new file starts with the byte-order mark. False, with a line
// in the log saying why, when the file cannot be opened; the log goes on without it.
bool AddAppendedLogFile(RunLog& log, const std::wstring& path);

}  // namespace tavelin
