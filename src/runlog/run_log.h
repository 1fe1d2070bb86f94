// The log of one start of the program: what it found, decided and did, one stamped entry at a
// time, for the people who support a disc's users. Every part of the program writes to the one
// RunLog of its start (the dialog on the user-interface thread, the installation worker on its
// own), so writing is thread-safe and entries never interleave.
//
// The log must never change what the program does: writing cannot fail as far as a caller can
// see, throws nothing, and a log without a destination (no folder could be made) takes every
// entry and keeps none.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "runlog/log_line.h"

namespace tavelin {

class LogClock {
public:
    virtual ~LogClock() = default;
    virtual LogTime Now() = 0;
};

// Where entries go: the log file of the start, and any other a later need adds (a copy the user
// asks for, a test's memory). Called under the log's lock, so one call at a time.
class LogDestination {
public:
    virtual ~LogDestination() = default;
    // Whole entries: UTF-8 lines, each ending in CR LF. What cannot be written is dropped.
    virtual void Append(const std::string& utf8Lines) = 0;
    // Makes what was appended survive a crash of the system, not only of the program.
    virtual void Persist() = 0;
};

class RunLog {
public:
    // A log that keeps nothing: where no log could be opened, and for code that needs one only to
    // run.
    RunLog() = default;
    explicit RunLog(std::unique_ptr<LogClock> clock) : m_clock(std::move(clock)) {}
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    // Entries written after this reach the destination too.
    void AddDestination(std::unique_ptr<LogDestination> destination);

    // One entry, stamped now (see log_line.h for multi-line texts).
    void Write(std::wstring_view text) noexcept;

    // Each entry reaches the system as it is written, so a crash of the program loses none. Before
    // a step that may bring the whole system down (an installer, a restart), this makes the
    // entries so far survive that too; doing it for every entry would make the log cost the user
    // time.
    void Persist() noexcept;

private:
    std::mutex m_lock;
    std::unique_ptr<LogClock> m_clock;
    std::vector<std::unique_ptr<LogDestination>> m_destinations;
};

}  // namespace tavelin
