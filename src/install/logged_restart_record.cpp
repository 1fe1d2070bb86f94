#include "install/logged_restart_record.h"

namespace tavelin {
namespace {

const wchar_t* Outcome(bool done) { return done ? L"done" : L"failed"; }

}  // namespace

WaitingListRead LoggedRestartRecordStore::ReadWaitingListValue(std::wstring& text) {
    const WaitingListRead read = m_store.ReadWaitingListValue(text);
    switch (read) {
        case WaitingListRead::Read:
            m_log.Write(L"Restart record read: waiting list \"" + text + L"\"");
            break;
        case WaitingListRead::KeyMissing:
            m_log.Write(L"Restart record: none (HKLM\\" + std::wstring(kRestartRecordKeyPath) + L" does not open)");
            break;
        case WaitingListRead::ValueUnreadable:
            m_log.Write(L"Restart record: its waiting list " + std::wstring(kWaitingListValueName) +
                        L" is missing or unreadable");
            break;
    }
    return read;
}

bool LoggedRestartRecordStore::CanChangeRecord() {
    const bool changeable = m_store.CanChangeRecord();
    m_log.Write(changeable ? L"Restart record can be rewritten and deleted"
                           : L"Restart record cannot be rewritten or deleted by this program");
    return changeable;
}

std::optional<UnattendedResume> LoggedRestartRecordStore::ReadUnattendedValue() {
    const std::optional<UnattendedResume> unattended = m_store.ReadUnattendedValue();
    m_log.Write(L"Restart record's unattended run: " + UnattendedResumeText(unattended));
    return unattended;
}

std::wstring LoggedRestartRecordStore::ReadDiscIdentity() {
    const std::wstring identity = m_store.ReadDiscIdentity();
    m_log.Write(L"Restart record's disc: " + (identity.empty() ? std::wstring(L"not named (any disc)") : identity));
    return identity;
}

bool LoggedRestartRecordStore::RestartPending() {
    const bool pending = m_store.RestartPending();
    m_log.Write(pending ? L"Restart record waits for a restart that has not happened yet"
                        : L"Restart record: no restart pending since it was written");
    return pending;
}

std::wstring LoggedRestartRecordStore::ReadBeginCounts() {
    const std::wstring counts = m_store.ReadBeginCounts();
    m_log.Write(L"Restart record's item begin counts: " + (counts.empty() ? std::wstring(L"none") : L"\"" + counts + L"\""));
    return counts;
}

std::wstring LoggedRestartSystem::ProtectedHelperFolder() {
    const std::wstring folder = m_system.ProtectedHelperFolder();
    m_log.Write(folder.empty() ? L"Restart helper folder: none could be prepared" : L"Restart helper folder: " + folder);
    return folder;
}

bool LoggedRestartSystem::CopyOverFile(const std::wstring& from, const std::wstring& to) {
    const bool copied = m_system.CopyOverFile(from, to);
    m_log.Write(L"Restart helper copied from " + from + L" to " + to + L": " + Outcome(copied));
    return copied;
}

bool LoggedRestartSystem::SetRunOnce(const std::wstring& commandLine) {
    const bool set = m_system.SetRunOnce(commandLine);
    m_log.Write(L"RunOnce \"" + std::wstring(kRunOnceValueName) + L"\" set to " + commandLine + L": " + Outcome(set));
    return set;
}

void LoggedRestartSystem::RemoveRunOnce() {
    m_system.RemoveRunOnce();
    m_log.Write(L"RunOnce \"" + std::wstring(kRunOnceValueName) + L"\" removed");
}

bool LoggedRestartSystem::WriteRecord(const std::wstring& waitingList,
                                      const std::optional<UnattendedResume>& unattended) {
    const bool written = m_system.WriteRecord(waitingList, unattended);
    const std::wstring mode = unattended ? L", unattended run " + UnattendedResumeText(unattended) : std::wstring();
    m_log.Write(L"Restart record written, waiting list \"" + waitingList + L"\"" + mode + L": " + Outcome(written));
    return written;
}

bool LoggedRestartSystem::WriteDiscIdentity(const std::wstring& identity) {
    const bool written = m_system.WriteDiscIdentity(identity);
    m_log.Write(L"Restart record's disc " + (identity.empty() ? std::wstring(L"removed (unknown)") : identity) + L": " +
                Outcome(written));
    return written;
}

bool LoggedRestartSystem::MarkRestartPending() {
    const bool marked = m_system.MarkRestartPending();
    m_log.Write(std::wstring(L"Restart pending mark HKLM\\") + kRestartPendingKeyPath + L" set: " + Outcome(marked));
    return marked;
}

bool LoggedRestartSystem::WriteBeginCounts(const std::wstring& counts) {
    const bool written = m_system.WriteBeginCounts(counts);
    m_log.Write(L"Restart record's item begin counts " + (counts.empty() ? std::wstring(L"removed (none)") : L"\"" + counts + L"\"") +
                L": " + Outcome(written));
    return written;
}

bool LoggedRestartSystem::DeleteRecord() {
    const bool deleted = m_system.DeleteRecord();
    m_log.Write(std::wstring(L"Restart record deleted, nothing left waiting: ") + Outcome(deleted));
    return deleted;
}

RestartCommandResult LoggedRestartSystem::StartCommand(const std::wstring& commandLine) {
    m_log.Write(L"Restart command: " + commandLine);
    m_log.Persist();
    const RestartCommandResult result = m_system.StartCommand(commandLine);
    m_log.Write(L"Restart command " + RestartCommandResultText(result) +
                (RestartAccepted(result) ? L": Windows restarts" : L": Windows refused to restart"));
    m_log.Persist();
    return result;
}

}  // namespace tavelin
