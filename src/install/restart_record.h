// The restart record: what the program leaves in the registry before it restarts Windows in the
// middle of a run (or when the user stops a run), and how it reads it back at the next start. The
// steps are written over small interfaces so that their order and their diagnostics are the same
// in the program and in tests; install/restart_record_win.h implements them over the registry,
// files and processes.
//
// Every run keeps the record while it goes on (install/run_record.h): before each installer it
// holds that item and those below it, after each item the items not yet run, and it is removed
// when none is left, so a crash, a power cut, a logoff or a closed window loses nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/diagnostics.h"
#include "install/resume_loop.h"

namespace tavelin {

constexpr wchar_t kRestartRecordKeyPath[] = L"SOFTWARE\\Tavelin";
constexpr wchar_t kWaitingListValueName[] = L"InstallWaitingList";
constexpr wchar_t kFullPathValueName[] = L"FullPathName";
// Present only when the run that wrote the record was unattended (REG_MULTI_SZ: the mode, then the
// log file when one was given). Older programs read only the two values above and ignore it.
constexpr wchar_t kUnattendedValueName[] = L"UnattendedRun";
// Present only when the run that wrote the record was unattended with /norestart (REG_DWORD 1), so
// that the run resumed after the restart does not restart Windows by itself either.
constexpr wchar_t kNoRestartValueName[] = L"UnattendedNoRestart";
// The disc the record belongs to (install/disc_identity.h); a record without it resumes on any disc.
constexpr wchar_t kDiscIdentityValueName[] = L"DiscIdentity";
// A volatile key, written with a record that waits for a restart: Windows forgets it when it
// restarts, so while it exists the restart has not happened yet. Beside the record rather than
// under it, so that an older program can still delete the record's key.
constexpr wchar_t kRestartPendingKeyPath[] = L"SOFTWARE\\TavelinRestartPending";
constexpr wchar_t kRunOnceKeyPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr wchar_t kRunOnceValueName[] = L"Tavelin";
constexpr wchar_t kRestartCommandLine[] = L"shutdown -r -t 15";
constexpr wchar_t kRestartHelperFileName[] = L"ReInst.exe";
// The stored list is read whole, whatever its length; a value above this size was not written by
// the program (a megabyte holds some 200,000 item numbers) and is left unread.
constexpr std::size_t kMaxWaitingListBytes = 1024 * 1024;

// How an unattended run that restarted Windows goes on after the restart: in the same mode, its
// log appended to the same file.
struct UnattendedResume {
    std::wstring mode;     // kUnattendedQuiet or kUnattendedPassive
    std::wstring logFile;  // the run's /log file, a full path; empty when none was given
    bool noRestart = false;  // /norestart
};
constexpr wchar_t kUnattendedQuiet[] = L"quiet";
constexpr wchar_t kUnattendedPassive[] = L"passive";

// The value's data as REG_MULTI_SZ holds it: each string with its null, and a closing null.
std::wstring UnattendedValueData(const UnattendedResume& unattended);
// The value's data read back. Nothing when its first string is not a mode this program knows: a
// record it does not understand is resumed in the window, which asks before it acts. Strings after
// the log file are ignored, for what a later program may add.
std::optional<UnattendedResume> ParseUnattendedValue(const std::wstring& data);
// "quiet", "passive, log C:\deploy\disc.log", "quiet, norestart", "none": for the log.
std::wstring UnattendedResumeText(const std::optional<UnattendedResume>& unattended);

enum class WaitingListRead {
    Read,
    KeyMissing,        // SOFTWARE\Tavelin did not open for reading
    ValueUnreadable,   // the value is missing or larger than kMaxWaitingListBytes
};

class RestartRecordStore {
public:
    virtual ~RestartRecordStore() = default;
    // The stored list up to its first null.
    virtual WaitingListRead ReadWaitingListValue(std::wstring& text) = 0;
    // Whether this program may rewrite and delete the record (it opens for writing and deleting).
    virtual bool CanChangeRecord() = 0;
    // The record's kUnattendedValueName, when it holds one this program understands.
    virtual std::optional<UnattendedResume> ReadUnattendedValue() = 0;
    // The record's kDiscIdentityValueName; empty when it holds none.
    virtual std::wstring ReadDiscIdentity() = 0;
    // Whether the kRestartPendingKeyPath mark exists: the restart the record waits for has not
    // happened yet.
    virtual bool RestartPending() = 0;
    // The record's kBeginCountsValueName as stored; empty when it holds none.
    virtual std::wstring ReadBeginCounts() = 0;
};

// How the program goes on with a stored list.
enum class ResumeMode {
    None,       // no list: the ordinary start
    Automatic,  // the stored items are checked and installed at once, without "Install now?"
    AskFirst,   // the stored items are checked, and Start asks as usual
};
const wchar_t* ResumeModeName(ResumeMode mode);

// A record the program cannot remove would resume the same items at every start for ever, so it
// is never acted on without asking: its items come checked and the user decides.
ResumeMode ResumeModeFor(const std::wstring& waitingList, bool recordChangeable);

// How a start goes on with a stored waiting list, before any of it is resumed.
enum class ResumeHold {
    None,          // resume as the record says
    RestartFirst,  // Windows has not restarted since the record was written: nothing is resumed yet
    OtherDisc,     // the record was written by another disc: never resumed without asking
};
const wchar_t* ResumeHoldName(ResumeHold hold);

// The pending mark and the stored identity hold a resume back only when present (and, for the
// identity, different from this disc's); a record written by an older program resumes as ever.
ResumeHold ResumeHoldOf(bool restartPending, const std::wstring& storedIdentity, const std::wstring& discIdentity);

struct StoredWaitingList {
    std::wstring list;  // trimmed; empty when nothing could be read
    ResumeMode mode = ResumeMode::None;
    // Set when the run that stored the list was unattended, and only in ResumeMode::Automatic: a
    // record that cannot be removed is never acted on without asking, so it resumes in the window.
    std::optional<UnattendedResume> unattended;
    // What holds the resume back; the list and its mode are as stored all the same.
    ResumeHold hold = ResumeHold::None;
    // How often the runs of the record began its items (install/resume_loop.h); read with a list.
    BeginCounts beginCounts;
};

// Reads the stored waiting list once per start; the record is left in place (the resumed run
// removes it). A failure to read is shown under ShowErrorMessage. For a list, the pending mark and
// the stored identity are set against `discIdentity` (this disc's; empty when unknown). The
// unattended value is read only for a list that resumes automatically and is held back by nothing:
// a record of another disc or one waiting for its restart does not choose how this start runs.
StoredWaitingList ReadWaitingList(RestartRecordStore& store, const DiagnosticSwitches& switches, MessageSink& sink,
                                  const std::wstring& discIdentity = std::wstring());

// What became of Windows' restart command: it returns at once, with 0 when Windows took the restart.
struct RestartCommandResult {
    bool started = false;
    std::optional<std::uint32_t> exitCode;  // nothing when it did not end in time or could not be read
};
bool RestartAccepted(const RestartCommandResult& result);
// "exit code 0", "not started", "did not end", for the log.
std::wstring RestartCommandResultText(const RestartCommandResult& result);

class RestartSystem {
public:
    virtual ~RestartSystem() = default;
    // A folder that only administrators and the system can change, made so (or put right) when
    // needed; empty when no such folder could be had.
    virtual std::wstring ProtectedHelperFolder() = 0;
    // Replaces any file at `to` with a copy of `from`.
    virtual bool CopyOverFile(const std::wstring& from, const std::wstring& to) = 0;
    virtual bool SetRunOnce(const std::wstring& commandLine) = 0;
    virtual void RemoveRunOnce() = 0;
    // With the program's own full path; the unattended value written when given, removed when not,
    // so that a record is never resumed in the mode of an earlier run.
    virtual bool WriteRecord(const std::wstring& waitingList, const std::optional<UnattendedResume>& unattended) = 0;
    // The record's kDiscIdentityValueName; an empty identity removes the value, so that a record is
    // never taken for the disc of an earlier one.
    virtual bool WriteDiscIdentity(const std::wstring& identity) = 0;
    // Creates the volatile kRestartPendingKeyPath mark.
    virtual bool MarkRestartPending() = 0;
    // The record's kBeginCountsValueName; empty counts remove the value, so that no count of an
    // earlier run is taken for this one's.
    virtual bool WriteBeginCounts(const std::wstring& counts) = 0;
    // Removes the record with all its values, and the pending mark; true when it is gone.
    virtual bool DeleteRecord() = 0;
    // Starts the command and waits for it to end (a few seconds at most).
    virtual RestartCommandResult StartCommand(const std::wstring& commandLine) = 0;
};

// What Windows runs once after the restart: the copied helper's path, quoted when it holds a blank so
// that the system cannot take a shorter path (C:\Documents.exe) for the program.
std::wstring RunOnceCommandOf(const std::wstring& helperPath);

enum class RestartStep {
    CompleteInstead,    // nothing is waiting: nothing is stored
    RestartScheduled,   // record written, helper registered, Windows took the restart command
    RestartRefused,     // record written and helper registered, but Windows refused the restart
    ResumeStored,       // record written and helper registered; the restart was not asked for
    ResumeNotStored,    // the resume could not be stored in full: Windows is not restarted
};
const wchar_t* RestartStepName(RestartStep step);

// What the record keeps besides the list, and whether the restart is asked for now.
struct ResumeDetails {
    // An unattended run's mode, log file and /norestart, so that the run resumed after the restart
    // is unattended too.
    std::optional<UnattendedResume> unattended;
    std::wstring discIdentity;  // empty: the record resumes on any disc
    // False: everything is stored and the restart is left to someone else (/norestart, the user).
    bool startRestart = true;
};

// Writes the record (the list, the disc's identity, the pending mark), then copies the helper from
// the disc's Lib folder into the protected folder and registers it to run once, and only when all
// of that worked starts the restart: RunOnce never names the helper without a record for it. When
// the helper fails nothing restarts; the record stays, so that the next start of the disc by hand
// (after a restart) resumes the rest.
RestartStep RestartAndResume(RestartSystem& system, const std::wstring& discRoot, const std::wstring& waitingList,
                             const DiagnosticSwitches& switches, MessageSink& sink,
                             const ResumeDetails& details = ResumeDetails());

// The helper copied from the disc's Lib folder into the protected folder and registered to run
// once; the failure's diagnostic text, or null.
const wchar_t* RegisterRestartHelper(RestartSystem& system, const std::wstring& discRoot);

// Starts Windows' restart: RestartScheduled when Windows took it, RestartRefused otherwise.
RestartStep RestartWindows(RestartSystem& system);

}  // namespace tavelin
