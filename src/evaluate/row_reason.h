// The reason a row of the item list gives in its tooltip.
#pragma once

#include <string>

#include "config/catalogue.h"
#include "evaluate/decision_record.h"
#include "evaluate/decision_text.h"

namespace tavelin {

// The reason of the item that `row` shows (CItem::m_nListRow), from its record as the book holds it
// at the time of the call, so that a dependence recorded since the list was filled is in it. Empty
// when no item has that row or the item has no record. `rowCheck` is the row's box as it is now
// (1 checked, 0 clear, -1 unknown): a dependence that set the box the other way no longer explains
// it, because the user has changed it since, and is left out.
std::wstring RowReason(const ItemList& items, const DecisionBook& decisions, int row, int rowCheck,
                       const ReasonTexts& texts);

}  // namespace tavelin
