// Restart loops: an item whose installer restarts Windows by itself every time (or brings the
// machine down) would be resumed for ever. The restart record therefore counts, for each item
// still waiting, how often a run of the record's chain began it, and a run resumed from the record
// does not begin an item again once that has happened too often.
//
// What counts: an item is "begun" when the run is about to start its commands (the count is
// stored before its installer starts). A "resume of an item" is a run resumed from the record
// beginning an item that the record says was begun before: the n-th resume of an item finds the
// count n stored. A run the user starts afresh (not from the record) counts from nothing.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tavelin {

// REG_SZ beside the waiting list, "4:2@7:1": item 4 begun twice, item 7 once. Older programs
// ignore it; a record without it counts from nothing.
constexpr wchar_t kBeginCountsValueName[] = L"ItemBeginCounts";

// The third resume of an item does not run it.
constexpr std::uint32_t kMaxResumesOfAnItem = 2;

// Item number -> how often it was begun.
using BeginCounts = std::map<std::int32_t, std::uint32_t>;

// The counts of the items of `waitingList` that have one, in the list's order; others are left out.
std::wstring FormatBeginCounts(const BeginCounts& counts, const std::wstring& waitingList);

// The stored value read back. Read defensively, as the waiting list is: pieces that are not
// "number:count" with a positive number and a count from 1 to kMaxStoredBeginCount are skipped,
// and only the first kMaxBeginCountEntries pieces are looked at.
constexpr std::uint32_t kMaxStoredBeginCount = 1000;
constexpr std::size_t kMaxBeginCountEntries = 4096;
BeginCounts ParseBeginCounts(const std::wstring& text);

enum class ItemBegin {
    Run,          // the item's commands run
    RefusedLoop,  // resumed too often: the row is "Failed" and the run goes on with the next item
};
const wchar_t* ItemBeginName(ItemBegin begin);

// `timesBegunBefore` is the count the record holds for the item (0 when none).
ItemBegin DecideItemBegin(bool resumedRun, std::uint32_t timesBegunBefore);

// For the log: "Item 4: begun 3 times already by runs resumed from the restart record; not run again".
std::wstring RefusedLoopText(std::int32_t itemNumber, std::uint32_t timesBegunBefore);

}  // namespace tavelin
