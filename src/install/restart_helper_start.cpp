#include "install/restart_helper_start.h"

#include <cwctype>

#include "config/text.h"
#include "install/run_fingerprints.h"

namespace tavelin {

const wchar_t* HelperStartStepName(HelperStartStep step) {
    switch (step) {
        case HelperStartStep::Started: return L"Started";
        case HelperStartStep::StartThroughShell: return L"StartThroughShell";
        case HelperStartStep::GiveUp: return L"GiveUp";
    }
    return L"?";
}

HelperStartStep NextHelperStartStep(bool created, unsigned long error) {
    if (created) return HelperStartStep::Started;
    if (error == kErrorElevationRequired) return HelperStartStep::StartThroughShell;
    return HelperStartStep::GiveUp;
}

namespace {

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

std::wstring PathBelowDrive(const std::wstring& programPath) {
    if (programPath.size() < 4 || !IsDriveLetter(programPath[0]) || programPath[1] != L':' || programPath[2] != L'\\') {
        return std::wstring();
    }
    return programPath.substr(2);
}

std::vector<std::wstring> PathsOnOtherDrives(const std::wstring& programPath, unsigned long driveMask) {
    std::vector<std::wstring> paths;
    const std::wstring below = PathBelowDrive(programPath);
    if (below.empty()) return paths;
    const wchar_t recorded = static_cast<wchar_t>(std::towupper(programPath[0]));
    for (int drive = 0; drive < 26; ++drive) {
        const wchar_t letter = static_cast<wchar_t>(L'A' + drive);
        if ((driveMask & (1ul << drive)) == 0 || letter == recorded) continue;
        paths.push_back(std::wstring(1, letter) + L":" + below);
    }
    return paths;
}

const wchar_t* CandidateVerdictName(CandidateVerdict verdict) {
    switch (verdict) {
        case CandidateVerdict::SameDisc: return L"SameDisc";
        case CandidateVerdict::NoIdentityRecorded: return L"NoIdentityRecorded";
        case CandidateVerdict::OtherDisc: return L"OtherDisc";
        case CandidateVerdict::OtherProgram: return L"OtherProgram";
    }
    return L"?";
}

CandidateVerdict JudgeCandidate(const std::wstring& recordedIdentity, const std::wstring& candidateIdentity,
                                const std::optional<std::wstring>& recordedProgram,
                                const std::optional<Sha256Digest>& candidateProgram) {
    const std::wstring identity = TrimWhiteSpace(recordedIdentity);
    // Any disc with a program at the same path would do otherwise, and the program runs elevated.
    if (identity.empty()) return CandidateVerdict::NoIdentityRecorded;
    if (candidateIdentity.empty() || !EqualsNoCase(identity, TrimWhiteSpace(candidateIdentity))) {
        return CandidateVerdict::OtherDisc;
    }
    if (CompareFingerprint(recordedProgram, candidateProgram) == FingerprintCheck::Differs) {
        return CandidateVerdict::OtherProgram;
    }
    return CandidateVerdict::SameDisc;
}

const wchar_t* HelperDiscStepName(HelperDiscStep step) {
    switch (step) {
        case HelperDiscStep::StartRecorded: return L"StartRecorded";
        case HelperDiscStep::StartFound: return L"StartFound";
        case HelperDiscStep::AskToInsert: return L"AskToInsert";
        case HelperDiscStep::WaitForNextLogon: return L"WaitForNextLogon";
    }
    return L"?";
}

HelperDiscStep NextHelperDiscStep(bool recordedProgramThere, bool foundElsewhere, bool unattended) {
    if (recordedProgramThere) return HelperDiscStep::StartRecorded;
    if (foundElsewhere) return HelperDiscStep::StartFound;
    return unattended ? HelperDiscStep::WaitForNextLogon : HelperDiscStep::AskToInsert;
}

}  // namespace tavelin
