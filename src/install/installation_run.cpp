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
void WaitUntilEnded(StartedProcess& process) {
    while (process.WaitSlice(kWaitSliceMs) == WaitResult::StillRunning) {
    }
}

std::wstring MarkerVersionOf(const CItem& item) {
    if (item.m_pVersionList.empty()) return std::wstring();
    return item.m_pVersionList.front().m_strVersion.substr(0, kMaxMarkerVersionLength);
}

bool IsApplication(const CItem& item) {
    return item.m_nType == ITEM_TYPE_RECOMMENDED_APP || item.m_nType == ITEM_TYPE_OPTIONAL_APP;
}

std::wstring WaitingListBelow(const ItemList& items, InstallList& list, int row) {
    std::vector<int> numbers;
    const int rowCount = list.RowCount();
    for (int later = row + 1; later < rowCount; ++later) {
        if (!CountsAsChecked(list.GetRowCheck(later))) continue;
        if (const CItem* item = ItemAtRow(items, later)) numbers.push_back(item->m_nItemNo);
    }
    return FormatWaitingList(numbers);
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

RunOutcome RunInstallation(const ItemList& items, const std::wstring& discRoot, const RunTexts& texts,
                           const DiagnosticSwitches& switches, const RunServices& services) {
    InstallList& list = services.list;
    RunOutcome outcome;
    for (int row = 0; row < list.RowCount(); ++row) {
        if (!CountsAsChecked(list.GetRowCheck(row))) continue;

        services.progress.m_nCurrentRow = row;
        list.StartRowProgress(row, texts.installing);
        list.SetRowProgress(row, 0);
        services.progress.m_nProgressPos = 0;
        services.timer.StartProgressTimer();

        const CItem* item = ItemAtRow(items, row);
        if (item == nullptr) continue;

        services.description.SetDescription(item->m_strDescription);
        services.launcher.ChangeCurrentDirectory(WorkingFolderOf(discRoot, item->m_strInstallCmd));

        if (item->m_bInstalled) {
            if (auto uninstaller = StartCommand(services.launcher, discRoot, item->m_strUninstallCmd)) {
                WaitUntilEnded(*uninstaller);
                uninstaller.reset();
                services.sleeper.Sleep(kPauseAfterUninstallMs);
            }
        }

        auto installer = StartCommand(services.launcher, discRoot, item->m_strInstallCmd);
        if (installer) {
            WaitUntilEnded(*installer);
            installer.reset();
            if (item->m_nWaitTime > 0) services.sleeper.Sleep(static_cast<unsigned>(item->m_nWaitTime));
            services.timer.StopProgressTimer();
            ShowStatus(list, row, texts.done);
            if (IsApplication(*item) && !item->m_strGUID.empty()) {
                services.marker.WriteInstallMarker(UninstallKeyPathOf(item->m_strGUID), MarkerVersionOf(*item));
            }
            if (item->m_bRescan) outcome.m_bRescanRequested = true;
            if (item->m_bRestart) {
                outcome.m_strWaitingList = WaitingListBelow(items, list, row);
                outcome.code = WM_INSTALLATION_RESTART;
                return outcome;
            }
        } else {
            services.timer.StopProgressTimer();
            ShowStatus(list, row, texts.failed);
        }
        services.sleeper.Sleep(kPauseBetweenItemsMs);
    }
    if (switches.m_bShowErrorMessage) services.sink.ShowMessage(L"Post WM_INSTALLATION_COMPLETE");
    outcome.code = WM_INSTALLATION_COMPLETE;
    return outcome;
}

int NextProgressPosition(int position) { return position >= 99 ? 0 : position + 1; }

void AdvanceProgress(ProgressState& progress, InstallList& list) {
    const int position = NextProgressPosition(progress.m_nProgressPos.load());
    progress.m_nProgressPos = position;
    list.SetRowProgress(progress.m_nCurrentRow.load(), position);
}

}  // namespace tavelin
