#include "install/installer_seal.h"

#include "install/command_line.h"

namespace tavelin {

const wchar_t* SealVerdictName(SealVerdict verdict) {
    switch (verdict) {
        case SealVerdict::Unsealed: return L"Unsealed";
        case SealVerdict::Matches: return L"Matches";
        case SealVerdict::Differs: return L"Differs";
        case SealVerdict::FileMissing: return L"FileMissing";
        case SealVerdict::SealUnreadable: return L"SealUnreadable";
    }
    return L"?";
}

SealVerdict JudgeSeal(const Sha256Digest& expected, const std::optional<Sha256Digest>& digest) {
    if (!digest) return SealVerdict::FileMissing;
    return *digest == expected ? SealVerdict::Matches : SealVerdict::Differs;
}

std::wstring SealedProgramPath(const std::wstring& discRoot, const std::wstring& commandText) {
    // ComposeCommandLine quotes exactly this: the disc root and the text up to the first "%%".
    return discRoot + ProgramPathOf(commandText);
}

}  // namespace tavelin
