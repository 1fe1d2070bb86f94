// The restart record, the restart helper's registration and the reboot over the registry, files
// and processes of Windows. All keys are under HKEY_LOCAL_MACHINE in the view a 32-bit program sees
// by default; the restart helper, a 32-bit program too, reads the same view.
#pragma once

#include <string>

#include "install/restart_record.h"
#include "install/run_fingerprints.h"
#include "platform/pinned_folder_win.h"
#include "platform/program_path_win.h"

namespace tavelin {

class Win32RestartRecordStore : public RestartRecordStore {
public:
    WaitingListRead ReadWaitingListValue(std::wstring& text) override;
    bool CanChangeRecord() override;
    std::optional<UnattendedResume> ReadUnattendedValue() override;
    std::wstring ReadDiscIdentity() override;
    bool RestartPending() override;
    std::wstring ReadBeginCounts() override;
};

// Removes SOFTWARE\Tavelin with all its values, and the pending mark that goes with it; true when
// the record is gone.
bool DeleteRestartRecord();

class Win32RestartSystem : public RestartSystem {
public:
    // programPath is what the helper starts after the restart: the running program by default.
    Win32RestartSystem();
    explicit Win32RestartSystem(std::wstring programPath);

    // What the record keeps of the program and the catalogue the run began with.
    void SetFingerprints(const RunFingerprints& fingerprints) { m_fingerprints = fingerprints; }

    std::wstring ProtectedHelperFolder() override;
    bool CopyOverFile(const std::wstring& from, const std::wstring& to) override;
    bool SetRunOnce(const std::wstring& commandLine) override;
    void RemoveRunOnce() override;
    bool WriteRecord(const std::wstring& waitingList, const std::optional<UnattendedResume>& unattended) override;
    bool WriteDiscIdentity(const std::wstring& identity) override;
    bool MarkRestartPending() override;
    bool WriteBeginCounts(const std::wstring& counts) override;
    bool DeleteRecord() override;
    RestartCommandResult StartCommand(const std::wstring& commandLine) override;

private:
    std::wstring m_programPath;
    PinnedFolder m_helperFolder;
    RunFingerprints m_fingerprints;
};

// Enables the shutdown privilege of the process and asks Windows to restart. False when Windows
// refused; the dialog then stays open.
bool RebootWindows();

}  // namespace tavelin
