#include "probe/pending_restart.h"

namespace tavelin {

std::wstring PendingRestartText(const PendingRestartSigns& signs) {
    if (!signs.Any()) return L"no";
    std::wstring reasons;
    const auto add = [&reasons](bool present, const wchar_t* name) {
        if (!present) return;
        if (!reasons.empty()) reasons += L", ";
        reasons += name;
    };
    add(signs.fileRenameOperations, L"file rename operations");
    add(signs.servicingRebootPending, L"servicing");
    add(signs.updateRebootRequired, L"Windows Update");
    return L"yes (" + reasons + L")";
}

bool MultiStringHoldsText(const std::wstring& data) { return data.find_first_not_of(L'\0') != std::wstring::npos; }

}  // namespace tavelin
