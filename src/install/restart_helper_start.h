// How the restart helper starts the program after the restart. The helper runs without elevation
// (its manifest asks for the invoker's rights) at the next logon; the program asks for
// administrator rights, which CreateProcess cannot grant: it answers ERROR_ELEVATION_REQUIRED, and
// only the shell can start such a program, asking the user for consent.
//
// The recorded program may be missing at the logon: the disc is not in the drive, or Windows gave
// the drive another letter. The helper then looks for the same disc at the same path on every
// other drive, accepting only a disc whose catalogue has the record's identity (and whose program
// has the record's fingerprint, when it keeps one), and asks for the disc where someone can answer.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/sha256.h"

namespace tavelin {

constexpr unsigned long kErrorElevationRequired = 740;  // ERROR_ELEVATION_REQUIRED

// The helper's exit codes.
constexpr int kHelperStarted = 0;
constexpr int kHelperNoRecord = 1;           // no recorded path
constexpr int kHelperStartFailed = 2;        // the program did not start
constexpr int kHelperOtherProgram = 3;       // not the program the run began with; runs again next logon
constexpr int kHelperDiscCancelled = 4;      // the disc was not found and the user cancelled; next logon
constexpr int kHelperDiscNotFoundUnattended = 5;  // not found, nobody asked (unattended run); next logon

enum class HelperStartStep {
    Started,           // the program runs
    StartThroughShell, // start it again through the shell, so that Windows elevates it
    GiveUp,            // the program cannot be started; the record stays for a start by hand
};
const wchar_t* HelperStartStepName(HelperStartStep step);

// The next step after CreateProcess: started, or the error it failed with.
HelperStartStep NextHelperStartStep(bool created, unsigned long error);

// The recorded program's path below its drive letter ("\Drivers\setup.exe" of
// "D:\Drivers\setup.exe"); empty when the path does not begin with one (a network path).
std::wstring PathBelowDrive(const std::wstring& programPath);

// The same path on each other drive of `driveMask` (GetLogicalDrives: bit 0 is A:), A: to Z:.
std::vector<std::wstring> PathsOnOtherDrives(const std::wstring& programPath, unsigned long driveMask);

enum class CandidateVerdict {
    SameDisc,            // started from here
    NoIdentityRecorded,  // the record names no disc: nothing but the recorded path is started
    OtherDisc,           // its catalogue is not the record's (or cannot be read)
    OtherProgram,        // the disc's catalogue, but not the program the run began with
};
const wchar_t* CandidateVerdictName(CandidateVerdict verdict);

// `recordedProgram` is the record's program fingerprint (nothing when it keeps none),
// `candidateProgram` the digest of the candidate's program file.
CandidateVerdict JudgeCandidate(const std::wstring& recordedIdentity, const std::wstring& candidateIdentity,
                                const std::optional<std::wstring>& recordedProgram,
                                const std::optional<Sha256Digest>& candidateProgram);

enum class HelperDiscStep {
    StartRecorded,     // the recorded program is there
    StartFound,        // the disc is on another drive: started from there
    AskToInsert,       // "Insert the disc", Retry / Cancel
    WaitForNextLogon,  // nobody to ask: registered again for the next logon
};
const wchar_t* HelperDiscStepName(HelperDiscStep step);

// A run that was unattended (the record's UnattendedRun value) is resumed on machines nobody may
// be logged on to watch: a logon there must not hang on a question.
HelperDiscStep NextHelperDiscStep(bool recordedProgramThere, bool foundElsewhere, bool unattended);

}  // namespace tavelin
