#include "install/waiting_list.h"

#include "config/text.h"

namespace tavelin {

std::wstring FormatWaitingList(const std::vector<int>& itemNumbers) {
    std::wstring text;
    for (int number : itemNumbers) {
        if (!text.empty()) text += L'@';
        text += DecimalText(number);
    }
    return text;
}

std::vector<std::wstring> SplitWaitingList(const std::wstring& waitingList) {
    if (waitingList.empty()) return {};
    return SplitList(waitingList, L"@");
}

}  // namespace tavelin
