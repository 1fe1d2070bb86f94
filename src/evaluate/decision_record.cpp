#include "evaluate/decision_record.h"

#include <iterator>

namespace tavelin {

DriverLookupFailure DriverFinding::Failure() const {
    return installed ? installed->failure : DriverLookupFailure::None;
}

bool DriverFinding::VersionEmpty() const {
    return installed && installed->failure == DriverLookupFailure::None && installed->version.empty();
}

VersionFinding DriverFinding::Comparison() const {
    VersionFinding version;
    version.discVersion = std::wstring(discVersion);
    version.discDate = std::wstring(discDate);
    if (compared) {
        version.installedVersion = installed->version;
        version.installedDate = installed->date;
        version.status = comparison;
    }
    return version;
}

DecisionRecord& DecisionBook::For(std::int32_t itemNo) {
    if (m_last != m_records.end()) {
        const auto next = std::next(m_last);
        if (next != m_records.end() && next->first == itemNo) {
            m_last = next;
            return next->second;
        }
    }
    m_last = m_records.try_emplace(itemNo).first;
    DecisionRecord& record = m_last->second;
    record.itemNo = itemNo;
    if (record.texts != m_texts) record.texts = m_texts;
    return record;
}

const DecisionRecord* DecisionBook::Find(std::int32_t itemNo) const {
    const auto found = m_records.find(itemNo);
    return found == m_records.end() ? nullptr : &found->second;
}

}  // namespace tavelin
