#include "install/kept_run_record.h"

#include <utility>

namespace tavelin {

KeptRunRecord::KeptRunRecord(RestartSystem& system, RunRecordDetails details)
    : m_system(system), m_details(std::move(details)) {}

bool KeptRunRecord::Store(const std::wstring& waitingList, const std::wstring& beginCounts) {
    if (waitingList.empty()) {
        const bool removed = m_system.DeleteRecord();
        // Nothing is left for the helper to resume.
        m_system.RemoveRunOnce();
        m_helperRegistered = false;
        return removed;
    }
    if (!m_system.WriteRecord(waitingList, m_details.unattended)) return false;
    // Neither is needed to resume: a record without them resumes as an older program's does.
    m_system.WriteDiscIdentity(m_details.discIdentity);
    m_system.WriteBeginCounts(beginCounts);
    return true;
}

std::wstring KeptRunRecord::RegisterLogonResume() {
    if (m_helperRegistered) return std::wstring();
    const wchar_t* failure = RegisterRestartHelper(m_system, m_details.discRoot);
    if (failure != nullptr) return failure;
    m_helperRegistered = true;
    return std::wstring();
}

void KeptRunRecord::UnregisterLogonResume() {
    m_system.RemoveRunOnce();
    m_helperRegistered = false;
}

}  // namespace tavelin
