// The restart record's steps with the run log beside them: each reading, writing, rewriting and
// deleting of the record, with the waiting list and whether the system let it happen, goes into
// the log as it happens. Wrappers around the real steps, so that the program logs exactly what
// it does and the steps themselves stay as they are.
#pragma once

#include <string>

#include "install/restart_record.h"
#include "runlog/run_log.h"

namespace tavelin {

class LoggedRestartRecordStore : public RestartRecordStore {
public:
    LoggedRestartRecordStore(RestartRecordStore& store, RunLog& log) : m_store(store), m_log(log) {}
    WaitingListRead ReadWaitingListValue(std::wstring& text) override;
    bool CanChangeRecord() override;
    std::optional<UnattendedResume> ReadUnattendedValue() override;
    std::wstring ReadDiscIdentity() override;
    bool RestartPending() override;
    std::wstring ReadBeginCounts() override;

private:
    RestartRecordStore& m_store;
    RunLog& m_log;
};

class LoggedRestartSystem : public RestartSystem {
public:
    LoggedRestartSystem(RestartSystem& system, RunLog& log) : m_system(system), m_log(log) {}
    std::wstring ProtectedHelperFolder() override;
    bool CopyOverFile(const std::wstring& from, const std::wstring& to) override;
    bool SetRunOnce(const std::wstring& commandLine) override;
    void RemoveRunOnce() override;
    bool WriteRecord(const std::wstring& waitingList, const std::optional<UnattendedResume>& unattended) override;
    bool WriteDiscIdentity(const std::wstring& identity) override;
    bool MarkRestartPending() override;
    bool WriteBeginCounts(const std::wstring& counts) override;
    bool DeleteRecord() override;
    // The log is made to survive the restart the command begins.
    RestartCommandResult StartCommand(const std::wstring& commandLine) override;

private:
    RestartSystem& m_system;
    RunLog& m_log;
};

}  // namespace tavelin
