#include "evaluate/decision_record.h"

namespace tavelin {

DecisionRecord& DecisionBook::For(std::int32_t itemNo) {
    DecisionRecord& record = m_records[itemNo];
    record.itemNo = itemNo;
    return record;
}

const DecisionRecord* DecisionBook::Find(std::int32_t itemNo) const {
    const auto found = m_records.find(itemNo);
    return found == m_records.end() ? nullptr : &found->second;
}

}  // namespace tavelin
