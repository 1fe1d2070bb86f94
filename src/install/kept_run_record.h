// The run's record (install/run_record.h) made of the restart record's own steps, so that it is
// written exactly as the restart path writes it: the list with the program's path, the unattended
// mode, log file and /norestart, the fingerprints, the disc's identity; and the helper copied and
// registered with the restart path's checks. What it never writes is the restart-pending mark: an
// interruption is no restart that was asked for.
#pragma once

#include <optional>
#include <string>

#include "install/restart_record.h"
#include "install/run_record.h"

namespace tavelin {

struct RunRecordDetails {
    std::wstring discRoot;  // where Lib\ReInst.exe is copied from
    std::optional<UnattendedResume> unattended;
    std::wstring discIdentity;  // empty: the record resumes on any disc
};

class KeptRunRecord : public RunRecord {
public:
    KeptRunRecord(RestartSystem& system, RunRecordDetails details);
    bool Store(const std::wstring& waitingList, const std::wstring& beginCounts) override;
    std::wstring RegisterLogonResume() override;
    void UnregisterLogonResume() override;

private:
    RestartSystem& m_system;
    RunRecordDetails m_details;
    bool m_helperRegistered = false;
};

}  // namespace tavelin
