#include "evaluate/row_reason.h"

namespace tavelin {

std::wstring RowReason(const ItemList& items, const DecisionBook& decisions, int row, int rowCheck,
                       const ReasonTexts& texts) {
    // ItemAtRow(-1) would find an item that has no row.
    if (row < 0) return {};
    const CItem* item = ItemAtRow(items, row);
    if (item == nullptr) return {};
    const DecisionRecord* decision = decisions.Find(item->m_nItemNo);
    if (decision == nullptr) return {};
    const bool boxChangedSince = !decision->dependences.empty() && rowCheck >= 0 &&
                                 decision->dependences.back().checked != (rowCheck != 0);
    if (!boxChangedSince) return ReasonSummary(*decision, texts);
    DecisionRecord asTheBoxIs = *decision;
    asTheBoxIs.dependences.clear();
    return ReasonSummary(asTheBoxIs, texts);
}

}  // namespace tavelin
