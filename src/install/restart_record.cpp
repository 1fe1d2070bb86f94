#include "install/restart_record.h"

#include "config/text.h"

namespace tavelin {

std::wstring ReadWaitingList(RestartRecordStore& store, const DiagnosticSwitches& switches, MessageSink& sink,
                             bool& resumeMode) {
    std::wstring stored;
    switch (store.ReadWaitingListValue(stored)) {
        case WaitingListRead::KeyMissing:
            if (switches.m_bShowErrorMessage) sink.ShowMessage(L"Error : Failed to open SOFTWARE\\Tavelin");
            return std::wstring();
        case WaitingListRead::ValueUnreadable:
            if (switches.m_bShowErrorMessage) sink.ShowMessage(L"Error : Failed to get ContinueInstallList");
            return std::wstring();
        case WaitingListRead::Read:
            break;
    }
    std::wstring list = TrimWhiteSpace(stored);
    resumeMode = !list.empty();
    store.DeleteRecord();
    return list;
}

std::wstring RestartTempFolder(const std::wstring& tempPath) {
    return (tempPath + L"Tavelin").substr(0, kMaxTempFolderLength);
}

std::wstring RunOnceCommandOf(const std::wstring& helperPath) {
    if (helperPath.find(L' ') == std::wstring::npos) return helperPath;
    return L"\"" + helperPath + L"\"";
}

RestartStep RestartAndResume(RestartSystem& system, const std::wstring& discRoot, const std::wstring& waitingList,
                             const DiagnosticSwitches& switches, MessageSink& sink) {
    if (waitingList.empty()) return RestartStep::CompleteInstead;
    const std::wstring tempFolder = RestartTempFolder(system.TempPath());
    if (!system.CreateFolder(tempFolder) && switches.m_bShowErrorMessage) {
        sink.ShowMessage(L"Could not create temp dir");
    }
    const std::wstring helper = tempFolder + L"\\ReInst.exe";
    system.CopyFileIfAbsent(discRoot + L"\\Lib\\ReInst.exe", helper);
    system.SetRunOnce(RunOnceCommandOf(helper));
    system.WriteRecord(waitingList);
    system.StartCommand(kRestartCommandLine);
    return RestartStep::RestartScheduled;
}

}  // namespace tavelin
