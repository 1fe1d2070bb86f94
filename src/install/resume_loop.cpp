#include "install/resume_loop.h"

#include "config/text.h"
#include "install/waiting_list.h"

namespace tavelin {

namespace {

// Decimal digits only, at most nine of them (no overflow, no sign, no blank).
bool ParseSmallNumber(const std::wstring& text, std::uint32_t& value) {
    if (text.empty() || text.size() > 9) return false;
    std::uint32_t parsed = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        parsed = parsed * 10 + static_cast<std::uint32_t>(c - L'0');
    }
    value = parsed;
    return true;
}

}  // namespace

std::wstring FormatBeginCounts(const BeginCounts& counts, const std::wstring& waitingList) {
    std::wstring text;
    for (const std::wstring& piece : SplitWaitingList(waitingList)) {
        std::uint32_t number = 0;
        if (!ParseSmallNumber(TrimWhiteSpace(piece), number) || number == 0) continue;
        const auto found = counts.find(static_cast<std::int32_t>(number));
        if (found == counts.end() || found->second == 0) continue;
        if (!text.empty()) text += L'@';
        text += std::to_wstring(number) + L':' + std::to_wstring(found->second);
    }
    return text;
}

BeginCounts ParseBeginCounts(const std::wstring& text) {
    BeginCounts counts;
    std::size_t looked = 0;
    for (const std::wstring& piece : SplitWaitingList(text)) {
        if (++looked > kMaxBeginCountEntries) break;
        const std::size_t colon = piece.find(L':');
        if (colon == std::wstring::npos) continue;
        std::uint32_t number = 0;
        std::uint32_t count = 0;
        if (!ParseSmallNumber(TrimWhiteSpace(piece.substr(0, colon)), number) || number == 0) continue;
        if (!ParseSmallNumber(TrimWhiteSpace(piece.substr(colon + 1)), count) || count == 0 ||
            count > kMaxStoredBeginCount) {
            continue;
        }
        // The first of duplicate pieces counts, as the first of duplicate keys does in the disc's files.
        counts.emplace(static_cast<std::int32_t>(number), count);
    }
    return counts;
}

const wchar_t* ItemBeginName(ItemBegin begin) {
    switch (begin) {
        case ItemBegin::Run: return L"Run";
        case ItemBegin::RefusedLoop: return L"RefusedLoop";
    }
    return L"?";
}

ItemBegin DecideItemBegin(bool resumedRun, std::uint32_t timesBegunBefore) {
    if (!resumedRun) return ItemBegin::Run;
    return timesBegunBefore > kMaxResumesOfAnItem ? ItemBegin::RefusedLoop : ItemBegin::Run;
}

std::wstring RefusedLoopText(std::int32_t itemNumber, std::uint32_t timesBegunBefore) {
    return L"Item " + std::to_wstring(itemNumber) + L": begun " + std::to_wstring(timesBegunBefore) +
           L" times already by this run and the runs it resumes, and never finished: it restarts Windows or stops "
           L"the program every time; not run again, row Failed";
}

}  // namespace tavelin
