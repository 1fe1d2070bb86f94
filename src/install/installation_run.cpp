#include "install/installation_run.h"

#include <vector>

#include "config/text.h"
#include "install/command_line.h"
#include "install/waiting_list.h"

namespace tavelin {

namespace {

// An empty command text would compose to the quoted disc root, which the system may resolve to a
// program named like the disc folder; such a command is treated as one that could not be started.
std::unique_ptr<StartedProcess> StartCommand(ProcessLauncher& launcher, const std::wstring& discRoot,
                                             const std::wstring& commandText) {
    if (TrimWhiteSpace(commandText).empty()) return nullptr;
    return launcher.Start(ComposeCommandLine(discRoot, commandText));
}

// No overall limit: an installer that never ends keeps the run waiting, as a user watching it expects.
// True when the process was seen to end; false when it cannot be waited for, which says nothing
// about whether the installer finished.
bool WaitUntilEnded(StartedProcess& process) {
    for (;;) {
        switch (process.WaitSlice(kWaitSliceMs)) {
            case WaitResult::Ended: return true;
            case WaitResult::StillRunning: break;
            case WaitResult::Failed: return false;
        }
    }
}

std::wstring MarkerVersionOf(const CItem& item) {
    if (item.m_pVersionList.empty()) return std::wstring();
    return item.m_pVersionList.front().m_strVersion.substr(0, kMaxMarkerVersionLength);
}

bool IsApplication(const CItem& item) {
    return item.m_nType == ITEM_TYPE_RECOMMENDED_APP || item.m_nType == ITEM_TYPE_OPTIONAL_APP;
}

// The checked items from `first` down, in list order.
std::wstring WaitingListFrom(const ItemList& items, InstallList& list, int first) {
    std::vector<int> numbers;
    const int rowCount = list.RowCount();
    for (int later = first; later < rowCount; ++later) {
        if (!CountsAsChecked(list.GetRowCheck(later))) continue;
        if (const CItem* item = ItemAtRow(items, later)) numbers.push_back(item->m_nItemNo);
    }
    return FormatWaitingList(numbers);
}

std::wstring WaitingListBelow(const ItemList& items, InstallList& list, int row) {
    return WaitingListFrom(items, list, row + 1);
}

bool StopRequested(const RunControl& control) {
    return control.stopRequested != nullptr && control.stopRequested->load();
}

void ShowStatus(InstallList& list, int row, const std::wstring& status) {
    list.StopRowProgress(row);
    list.SetCellText(row, kStatusColumn, status);
    list.SetCellBold(row, kStatusColumn);
}

}  // namespace

const wchar_t* StartDecisionName(StartDecision decision) {
    switch (decision) {
        case StartDecision::NothingChecked: return L"NothingChecked";
        case StartDecision::Declined: return L"Declined";
        case StartDecision::StartWorker: return L"StartWorker";
    }
    return L"?";
}

StartDecision DecideStart(InstallList& list, bool resumeMode, const std::function<bool()>& confirmInstall) {
    const int rowCount = list.RowCount();
    bool anyChecked = false;
    for (int row = 0; row < rowCount; ++row) {
        list.SetRowEnabled(row, false);
        if (CountsAsChecked(list.GetRowCheck(row))) anyChecked = true;
    }
    if (!anyChecked) {
        EnableAllRows(list);
        return StartDecision::NothingChecked;
    }
    if (resumeMode || confirmInstall()) return StartDecision::StartWorker;
    EnableAllRows(list);
    return StartDecision::Declined;
}

void EnableAllRows(InstallList& list) {
    for (int row = 0; row < list.RowCount(); ++row) list.SetRowEnabled(row, true);
}

std::wstring UninstallKeyPathOf(const std::wstring& guid) {
    return L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + guid;
}

const wchar_t* RunStopName(RunStop stop) {
    switch (stop) {
        case RunStop::None: return L"None";
        case RunStop::OnRequest: return L"OnRequest";
        case RunStop::ByError: return L"ByError";
    }
    return L"?";
}

namespace {

enum class ItemResult { Done, Failed };

// One item: its uninstall when installed, its install, the pauses and the status cell.
ItemResult RunItem(const CItem& item, int row, const std::wstring& discRoot, const RunTexts& texts,
                   const RunServices& services) {
    InstallList& list = services.list;
    services.description.SetDescription(item.m_strDescription);
    services.launcher.ChangeCurrentDirectory(WorkingFolderOf(discRoot, item.m_strInstallCmd));

    if (item.m_bInstalled) {
        if (auto uninstaller = StartCommand(services.launcher, discRoot, item.m_strUninstallCmd)) {
            WaitUntilEnded(*uninstaller);
            uninstaller.reset();
            services.sleeper.Sleep(kPauseAfterUninstallMs);
        }
    }

    auto installer = StartCommand(services.launcher, discRoot, item.m_strInstallCmd);
    const bool ended = installer && WaitUntilEnded(*installer);
    installer.reset();
    if (!ended) {
        services.timer.StopProgressTimer();
        ShowStatus(list, row, texts.failed);
        return ItemResult::Failed;
    }
    if (item.m_nWaitTime > 0) services.sleeper.Sleep(static_cast<unsigned>(item.m_nWaitTime));
    services.timer.StopProgressTimer();
    ShowStatus(list, row, texts.done);
    if (IsApplication(item) && !item.m_strGUID.empty()) {
        services.marker.WriteInstallMarker(UninstallKeyPathOf(item.m_strGUID), MarkerVersionOf(item));
    }
    return ItemResult::Done;
}

}  // namespace

RunOutcome RunInstallation(const ItemList& items, const std::wstring& discRoot, const RunTexts& texts,
                           const DiagnosticSwitches& switches, const RunServices& services,
                           const RunControl& control) {
    InstallList& list = services.list;
    RunOutcome outcome;
    // For the error path: the row whose item is being run (-1 between items) and the last row
    // whose item was begun.
    int currentRow = -1;
    int lastBegunRow = -1;
    try {
        for (int row = 0; row < list.RowCount(); ++row) {
            if (!CountsAsChecked(list.GetRowCheck(row))) continue;
            if (StopRequested(control)) {
                outcome.stop = RunStop::OnRequest;
                outcome.notRun = WaitingListFrom(items, list, row);
                outcome.notRunStored = control.record != nullptr && control.record->Store(outcome.notRun);
                return outcome;
            }

            currentRow = row;
            lastBegunRow = row;
            services.progress.m_nCurrentRow = row;
            list.StartRowProgress(row, texts.installing);
            list.SetRowProgress(row, 0);
            services.progress.m_nProgressPos = 0;
            services.timer.StartProgressTimer();

            const CItem* item = ItemAtRow(items, row);
            if (item == nullptr) {
                currentRow = -1;
                continue;
            }

            const ItemResult result = RunItem(*item, row, discRoot, texts, services);
            currentRow = -1;
            if (result == ItemResult::Done) {
                if (item->m_bRescan) outcome.m_bRescanRequested = true;
                if (item->m_bRestart) {
                    outcome.m_strWaitingList = WaitingListBelow(items, list, row);
                    outcome.code = WM_INSTALLATION_RESTART;
                    // The restart step writes the same list again; with nothing below, it writes
                    // nothing, and a resumed run's record must not keep this item.
                    if (control.keepRecord && control.record != nullptr) control.record->Store(outcome.m_strWaitingList);
                    return outcome;
                }
            }
            if (control.keepRecord && control.record != nullptr) {
                control.record->Store(WaitingListBelow(items, list, row));
            }
            services.sleeper.Sleep(kPauseBetweenItemsMs);
        }
        if (switches.m_bShowErrorMessage) services.sink.ShowMessage(L"Post WM_INSTALLATION_COMPLETE");
    } catch (...) {
        outcome.stop = RunStop::ByError;
        // The list may be what failed; what the run decided so far is kept whatever happens here.
        try {
            if (currentRow >= 0) {
                services.timer.StopProgressTimer();
                ShowStatus(list, currentRow, texts.failed);
            }
            outcome.notRun = WaitingListBelow(items, list, lastBegunRow);
        } catch (...) {
        }
    }
    return outcome;
}

int NextProgressPosition(int position) { return position >= 99 ? 0 : position + 1; }

void AdvanceProgress(ProgressState& progress, InstallList& list) {
    const int position = NextProgressPosition(progress.m_nProgressPos.load());
    progress.m_nProgressPos = position;
    list.SetRowProgress(progress.m_nCurrentRow.load(), position);
}

}  // namespace tavelin
