#include "install/restart_record.h"

#include <algorithm>

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

std::wstring UnattendedValueData(const UnattendedResume& unattended) {
    std::wstring data = unattended.mode;
    data.push_back(L'\0');
    if (!unattended.logFile.empty()) {
        data += unattended.logFile;
        data.push_back(L'\0');
    }
    data.push_back(L'\0');
    return data;
}

std::optional<UnattendedResume> ParseUnattendedValue(const std::wstring& data) {
    // The strings up to the first empty one; a value written without its closing nulls ends at
    // the end of the data.
    std::vector<std::wstring> strings;
    for (std::size_t start = 0; start < data.size();) {
        const std::size_t end = std::min(data.find(L'\0', start), data.size());
        if (end == start) break;
        strings.push_back(data.substr(start, end - start));
        start = end + 1;
    }
    if (strings.empty() || (strings[0] != kUnattendedQuiet && strings[0] != kUnattendedPassive)) return std::nullopt;
    UnattendedResume unattended;
    unattended.mode = strings[0];
    if (strings.size() > 1) unattended.logFile = strings[1];
    return unattended;
}

std::wstring UnattendedResumeText(const std::optional<UnattendedResume>& unattended) {
    if (!unattended) return L"none";
    if (unattended->logFile.empty()) return unattended->mode;
    return unattended->mode + L", log " + unattended->logFile;
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
    if (result.mode == ResumeMode::Automatic) result.unattended = store.ReadUnattendedValue();
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
                             const DiagnosticSwitches& switches, MessageSink& sink,
                             const std::optional<UnattendedResume>& unattended) {
    if (waitingList.empty()) return RestartStep::CompleteInstead;
    const wchar_t* helperFailure = RegisterHelper(system, discRoot);
    // Written even when the helper failed: a start of the disc by hand then resumes the rest.
    const bool recordWritten = system.WriteRecord(waitingList, unattended);
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
