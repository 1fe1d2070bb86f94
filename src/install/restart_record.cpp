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

const wchar_t* ResumeHoldName(ResumeHold hold) {
    switch (hold) {
        case ResumeHold::None: return L"None";
        case ResumeHold::RestartFirst: return L"RestartFirst";
        case ResumeHold::OtherDisc: return L"OtherDisc";
    }
    return L"?";
}

ResumeHold ResumeHoldOf(bool restartPending, const std::wstring& storedIdentity, const std::wstring& discIdentity) {
    if (restartPending) return ResumeHold::RestartFirst;
    const std::wstring stored = TrimWhiteSpace(storedIdentity);
    // A disc whose catalogue could not be read has no identity to set against the record's.
    if (!stored.empty() && !discIdentity.empty() && !EqualsNoCase(stored, discIdentity)) return ResumeHold::OtherDisc;
    return ResumeHold::None;
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
    std::wstring text = unattended->mode;
    if (!unattended->logFile.empty()) text += L", log " + unattended->logFile;
    if (unattended->noRestart) text += L", norestart";
    return text;
}

StoredWaitingList ReadWaitingList(RestartRecordStore& store, const DiagnosticSwitches& switches, MessageSink& sink,
                                  const std::wstring& discIdentity) {
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
    if (result.mode == ResumeMode::None) return result;
    const bool pending = store.RestartPending();
    result.hold = ResumeHoldOf(pending, pending ? std::wstring() : store.ReadDiscIdentity(), discIdentity);
    if (result.mode == ResumeMode::Automatic && result.hold == ResumeHold::None) {
        result.unattended = store.ReadUnattendedValue();
    }
    // A record waiting for its restart is not resumed by this start, so its counts are not read.
    if (result.hold != ResumeHold::RestartFirst) result.beginCounts = ParseBeginCounts(store.ReadBeginCounts());
    return result;
}

std::wstring RunOnceCommandOf(const std::wstring& helperPath) {
    if (helperPath.find(L' ') == std::wstring::npos) return helperPath;
    return L"\"" + helperPath + L"\"";
}

bool RestartAccepted(const RestartCommandResult& result) {
    return result.started && result.exitCode && *result.exitCode == 0;
}

std::wstring RestartCommandResultText(const RestartCommandResult& result) {
    if (!result.started) return L"not started";
    if (!result.exitCode) return L"did not end, or its exit code could not be read";
    return L"exit code " + std::to_wstring(*result.exitCode);
}

const wchar_t* RestartStepName(RestartStep step) {
    switch (step) {
        case RestartStep::CompleteInstead: return L"CompleteInstead";
        case RestartStep::RestartScheduled: return L"RestartScheduled";
        case RestartStep::RestartRefused: return L"RestartRefused";
        case RestartStep::ResumeStored: return L"ResumeStored";
        case RestartStep::ResumeNotStored: return L"ResumeNotStored";
    }
    return L"?";
}

const wchar_t* RegisterRestartHelper(RestartSystem& system, const std::wstring& discRoot) {
    const std::wstring folder = system.ProtectedHelperFolder();
    if (folder.empty()) return L"Could not create temp dir";
    const std::wstring helper = folder + L"\\" + kRestartHelperFileName;
    if (!system.CopyOverFile(discRoot + L"\\Lib\\" + kRestartHelperFileName, helper)) {
        return L"Could not copy the restart helper";
    }
    if (!system.SetRunOnce(RunOnceCommandOf(helper))) return L"Could not register the restart helper";
    return nullptr;
}

RestartStep RestartAndResume(RestartSystem& system, const std::wstring& discRoot, const std::wstring& waitingList,
                             const DiagnosticSwitches& switches, MessageSink& sink, const ResumeDetails& details) {
    if (waitingList.empty()) return RestartStep::CompleteInstead;
    // The record first: a helper registered without one (a crash between the two) would start the
    // program for nothing, or resume an older record.
    if (!system.WriteRecord(waitingList, details.unattended)) {
        // A helper an earlier restart left registered would find no record to act on.
        system.RemoveRunOnce();
        if (switches.m_bShowErrorMessage) sink.ShowMessage(L"Could not write the restart record");
        return RestartStep::ResumeNotStored;
    }
    // Neither is needed to resume: a record without them resumes as an older program's does.
    system.WriteDiscIdentity(details.discIdentity);
    system.MarkRestartPending();
    // The record stays when the helper fails: a start of the disc by hand after the restart then
    // resumes the rest.
    if (const wchar_t* helperFailure = RegisterRestartHelper(system, discRoot)) {
        if (switches.m_bShowErrorMessage) sink.ShowMessage(helperFailure);
        return RestartStep::ResumeNotStored;
    }
    if (!details.startRestart) return RestartStep::ResumeStored;
    return RestartWindows(system);
}

RestartStep RestartWindows(RestartSystem& system) {
    return RestartAccepted(system.StartCommand(kRestartCommandLine)) ? RestartStep::RestartScheduled
                                                                      : RestartStep::RestartRefused;
}

}  // namespace tavelin
