// Check marks pushed along the items' "Dependence" links when the user checks or clears a row:
// checking an item also checks, transitively, everything it depends on that still needs
// installing; clearing an item clears, transitively, every shown item that depends on it.
#pragma once

#include <cstdint>
#include <vector>

#include "config/catalogue.h"
#include "evaluate/decision_record.h"

namespace tavelin {

// The check boxes of the list's rows, as the propagation sees them.
class CheckRows {
public:
    virtual ~CheckRows() = default;
    virtual int GetRowCheck(int row) = 0;  // 0 clear, 1 checked, -1 unreadable
    virtual void SetRowCheck(int row, int state) = 0;
};

// A row whose check box the propagation set, for the item's decision record.
struct DependenceChange {
    std::int32_t itemNo = 0;
    DependenceFinding finding;
};

// Pushes the check state of `selectedRow` (negative: none) along the links and returns the boxes
// it set, in order. A state the list cannot read (-1) counts as checked, as the installation run
// counts it, and checks what the item needs. Links may form a cycle on a badly made disc; every row is followed at most once
// per call, which changes nothing for links without cycles because setting a check state twice is
// the same as setting it once.
std::vector<DependenceChange> ApplyDependences(const ItemList& items, CheckRows& rows, int selectedRow);

// Adds the changes to the records of the items they changed.
void RecordDependences(const std::vector<DependenceChange>& changes, DecisionBook& decisions);

}  // namespace tavelin
