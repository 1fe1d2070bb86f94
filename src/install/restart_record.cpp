#include "install/restart_record.h"

#include "config/text.h"

namespace tavelin {

const wchar_t* ResumeModeName(ResumeMode mode) {
    switch (mode) {
        case ResumeMode::None: return L"None";
        case ResumeMode::Automatic: return L"Automatic";
        case ResumeMode::AskFirst: return L"AskFirst";
    }
    return L"?";
}

ResumeMode ResumeModeFor(const std::wstring& waitingList, bool recordChangeable) {
    if (waitingList.empty()) return ResumeMode::None;
    return recordChangeable ? ResumeMode::Automatic : ResumeMode::AskFirst;
}

StoredWaitingList ReadWaitingList(RestartRecordStore& store, const DiagnosticSwitches& switches, MessageSink& sink) {
    std::wstring stored;
    switch (store.ReadWaitingListValue(stored)) {
        case WaitingListRead::KeyMissing:
            if (switches.m_bShowErrorMessage) sink.ShowMessage(L"Error : Failed to open SOFTWARE\\Tavelin");
            return StoredWaitingList{};
        case WaitingListRead::ValueUnreadable:
            if (switches.m_bShowErrorMessage) sink.ShowMessage(L"Error : Failed to get ContinueInstallList");
            return StoredWaitingList{};
        case WaitingListRead::Read:
            break;
    }
    StoredWaitingList result;
    result.list = TrimWhiteSpace(stored);
    result.mode = ResumeModeFor(result.list, !result.list.empty() && store.CanChangeRecord());
    return result;
}

std::wstring RunOnceCommandOf(const std::wstring& helperPath) {
    if (helperPath.find(L' ') == std::wstring::npos) return helperPath;
    return L"\"" + helperPath + L"\"";
}

const wchar_t* RestartStepName(RestartStep step) {
    switch (step) {
        case RestartStep::CompleteInstead: return L"CompleteInstead";
        case RestartStep::RestartScheduled: return L"RestartScheduled";
        case RestartStep::ResumeNotStored: return L"ResumeNotStored";
    }
    return L"?";
}

namespace {

// The helper copied into the protected folder and registered to run once; the failure's
// diagnostic text, or null.
const wchar_t* RegisterHelper(RestartSystem& system, const std::wstring& discRoot) {
    const std::wstring folder = system.ProtectedHelperFolder();
    if (folder.empty()) return L"Could not create temp dir";
    const std::wstring helper = folder + L"\\" + kRestartHelperFileName;
    if (!system.CopyOverFile(discRoot + L"\\Lib\\" + kRestartHelperFileName, helper)) {
        return L"Could not copy the restart helper";
    }
    if (!system.SetRunOnce(RunOnceCommandOf(helper))) return L"Could not register the restart helper";
    return nullptr;
}

}  // namespace

RestartStep RestartAndResume(RestartSystem& system, const std::wstring& discRoot, const std::wstring& waitingList,
                             const DiagnosticSwitches& switches, MessageSink& sink) {
    if (waitingList.empty()) return RestartStep::CompleteInstead;
    const wchar_t* helperFailure = RegisterHelper(system, discRoot);
    // Written even when the helper failed: a start of the disc by hand then resumes the rest.
    const bool recordWritten = system.WriteRecord(waitingList);
    if (helperFailure == nullptr && recordWritten) {
        system.StartCommand(kRestartCommandLine);
        return RestartStep::RestartScheduled;
    }
    // The helper would find no record to act on.
    if (!recordWritten) system.RemoveRunOnce();
    if (switches.m_bShowErrorMessage) {
        sink.ShowMessage(helperFailure != nullptr ? helperFailure : L"Could not write the restart record");
    }
    return RestartStep::ResumeNotStored;
}

}  // namespace tavelin
