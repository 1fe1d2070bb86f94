#include "install/run_notices.h"

#include "config/text.h"
#include "evaluate/list_plan.h"
#include "install/waiting_list.h"

namespace tavelin {

namespace {

std::wstring Bulleted(const std::vector<std::wstring>& titles) {
    std::wstring text;
    for (const std::wstring& title : titles) text += L"\n    " + title;
    return text;
}

}  // namespace

std::vector<std::wstring> TitlesOfWaitingList(const ItemList& items, const std::wstring& waitingList) {
    std::vector<std::wstring> titles;
    for (const std::wstring& piece : SplitWaitingList(waitingList)) {
        std::wstring title = L"Item " + piece;
        for (const auto& item : items) {
            if (IsItemListed(*item, {piece})) {
                title = item->m_strTitle;
                break;
            }
        }
        titles.push_back(std::move(title));
    }
    return titles;
}

std::wstring StopRunQuestionText() {
    return L"An installation is running.\n\nStop after the item being installed now and close? The items not "
           L"installed yet are installed at the next start of this disc.";
}

std::wstring StoppedRunNotStoredText(const std::vector<std::wstring>& waitingTitles) {
    return L"The installation was stopped. These items are not installed yet:\n" + Bulleted(waitingTitles) +
           L"\n\nStart this disc again and install them.";
}

std::wstring RunStoppedByErrorText(const std::vector<std::wstring>& notRunTitles) {
    std::wstring text = L"The installation stopped because of an error.";
    if (!notRunTitles.empty()) text += L" These items were not installed:\n" + Bulleted(notRunTitles);
    return text;
}

std::wstring RestartNotStoredText(const std::vector<std::wstring>& waitingTitles) {
    return L"Windows must restart before the installation can go on, but the installation could not be set "
           L"to go on after the restart, so Windows is not restarted. These items are not installed yet:\n" +
           Bulleted(waitingTitles) + L"\n\nRestart Windows, then start this disc again and install them.";
}

std::wstring CatalogueChangedText() {
    return L"The installation stopped by the restart is not resumed: the disc's catalogue has changed since it "
           L"began. Choose the items to install again.";
}

std::wstring RestartRefusedText(const std::vector<std::wstring>& waitingTitles) {
    std::wstring text = L"Windows could not be restarted now. Restart Windows later to finish installing.";
    if (!waitingTitles.empty()) {
        text += L" These items are installed after the restart:\n" + Bulleted(waitingTitles);
    }
    return text;
}

std::wstring RestartAlreadyPendingText() {
    return L"Windows is waiting for a restart that an earlier installation or update asked for. What is "
           L"installed now may take effect only after that restart.";
}

std::wstring OtherDiscResumeQuestionText(const std::vector<std::wstring>& waitingTitles) {
    return L"Items of another driver disc are waiting to be installed. This disc has these items of the same "
           L"numbers:\n" +
           Bulleted(waitingTitles) + L"\n\nInstall them from this disc now?";
}

}  // namespace tavelin
