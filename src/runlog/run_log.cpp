#include "runlog/run_log.h"

namespace tavelin {

void RunLog::AddDestination(std::unique_ptr<LogDestination> destination) {
    if (!destination) return;
    const std::lock_guard<std::mutex> lock(m_lock);
    m_destinations.push_back(std::move(destination));
}

void RunLog::Write(std::wstring_view text) noexcept {
    try {
        const std::lock_guard<std::mutex> lock(m_lock);
        if (m_destinations.empty() || !m_clock) return;
        // Stamped under the lock, so that entries stand in the file in the order of their stamps.
        const std::string entry = FormatLogEntry(m_clock->Now(), text);
        for (const auto& destination : m_destinations) destination->Append(entry);
    } catch (...) {
        // Out of memory while formatting: the entry is lost, the program goes on.
    }
}

void RunLog::Persist() noexcept {
    try {
        const std::lock_guard<std::mutex> lock(m_lock);
        for (const auto& destination : m_destinations) destination->Persist();
    } catch (...) {
    }
}

}  // namespace tavelin
