// Random text as the stored waiting list (the registry value read back after a restart) through the
// functions that split it and match item numbers against it. Checks that no piece keeps a separator,
// that there is never more than one piece per separator and one, that a text without a separator
// is one piece, that an item is listed exactly when
// its decimal text is one of the pieces, and that a list written by the program reads back as the
// same numbers in the same order.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "evaluate/list_plan.h"
#include "install/waiting_list.h"

namespace {

using namespace tavelin;

bool KeepsSeparator(const std::wstring& piece) { return piece.find(L'@') != std::wstring::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Two bytes a character, as the value is stored; an odd last byte is left out.
    std::wstring stored;
    for (std::size_t i = 0; i + 1 < size; i += 2) stored += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));

    const std::vector<std::wstring> pieces = SplitWaitingList(stored);
    // A list of one item has no separator and is that one piece as it is.
    if (!stored.empty() && stored.find(L'@') == std::wstring::npos && pieces != std::vector<std::wstring>{stored}) {
        __builtin_trap();
    }
    if (stored.empty() && !pieces.empty()) __builtin_trap();
    if (std::any_of(pieces.begin(), pieces.end(), KeepsSeparator)) __builtin_trap();
    if (pieces.size() > static_cast<std::size_t>(std::count(stored.begin(), stored.end(), L'@')) + 1) __builtin_trap();

    std::vector<int> numbers;
    for (std::size_t i = 0; i < size && numbers.size() < 64; i += 3) {
        numbers.push_back(static_cast<int>(data[i]) * 256 + (i + 1 < size ? data[i + 1] : 0) - 1000);
    }
    CItem item;
    for (int number : numbers) {
        item.m_nItemNo = number;
        if (IsItemListed(item, pieces) != (std::find(pieces.begin(), pieces.end(), std::to_wstring(number)) != pieces.end())) {
            __builtin_trap();
        }
    }
    const std::vector<std::wstring> written = SplitWaitingList(FormatWaitingList(numbers));
    if (written.size() != numbers.size()) __builtin_trap();
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        item.m_nItemNo = numbers[i];
        if (!IsItemListed(item, {written[i]})) __builtin_trap();
    }
    return 0;
}
