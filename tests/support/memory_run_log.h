// A run log that keeps what it is given in memory, stamped by a clock the test sets: for tests
// that read what the program logged. Its bytes are exactly what a log file would get.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "runlog/run_log.h"

namespace tavelin {

class MemoryRunLog {
public:
    MemoryRunLog() : m_log(std::make_unique<SetClock>(*this)) {
        m_log.AddDestination(std::make_unique<Destination>(*this));
    }
    MemoryRunLog(const MemoryRunLog&) = delete;
    MemoryRunLog& operator=(const MemoryRunLog&) = delete;

    RunLog& Log() { return m_log; }

    // The texts of the lines, without their stamps and line ends (UTF-8).
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::size_t start = 0;
        for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
            const std::size_t textStart = start + kStampLength + 1;
            lines.push_back(textStart <= end ? bytes.substr(textStart, end - textStart) : std::string());
        }
        return lines;
    }
    bool Has(const std::string& line) const {
        for (const std::string& logged : Lines()) {
            if (logged == line) return true;
        }
        return false;
    }
    std::string Joined() const {
        std::string text;
        for (const std::string& line : Lines()) text += line + "\n";
        return text;
    }

    LogTime time{2024, 5, 1, 9, 3, 7, 45};
    std::string bytes;
    // What had been written when the log was last made to survive a crash of the system.
    std::size_t persistedSize = 0;
    int persists = 0;

    static constexpr std::size_t kStampLength = 23;  // "2024-05-01 09:03:07.045"

private:
    class SetClock : public LogClock {
    public:
        explicit SetClock(MemoryRunLog& owner) : m_owner(owner) {}
        LogTime Now() override { return m_owner.time; }

    private:
        MemoryRunLog& m_owner;
    };
    class Destination : public LogDestination {
    public:
        explicit Destination(MemoryRunLog& owner) : m_owner(owner) {}
        void Append(const std::string& utf8Lines) override { m_owner.bytes += utf8Lines; }
        void Persist() override {
            m_owner.persistedSize = m_owner.bytes.size();
            ++m_owner.persists;
        }

    private:
        MemoryRunLog& m_owner;
    };

    RunLog m_log;
};

}  // namespace tavelin
