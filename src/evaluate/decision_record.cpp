#include "evaluate/decision_record.h"

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
    DecisionRecord& record = m_records[itemNo];
    record.itemNo = itemNo;
    if (record.texts != m_texts) record.texts = m_texts;
    return record;
}

const DecisionRecord* DecisionBook::Find(std::int32_t itemNo) const {
    const auto found = m_records.find(itemNo);
    return found == m_records.end() ? nullptr : &found->second;
}

}  // namespace tavelin
