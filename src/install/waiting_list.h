// The waiting list stored across a restart: the numbers of the items still to install, in list
// order, in decimal, joined by "@" ("4@7@12"). The list population checks exactly these items.
#pragma once

#include <string>
#include <vector>

namespace tavelin {

std::wstring FormatWaitingList(const std::vector<int>& itemNumbers);

// The pieces of a stored list (empty for an empty text). Whether an item is one of them is
// IsItemListed (evaluate/list_plan.h), which the list population asks.
std::vector<std::wstring> SplitWaitingList(const std::wstring& waitingList);

}  // namespace tavelin
