// The seal of an item's installer: "Install_SHA256" (and "Uninstall_SHA256") in the item's
// section, the SHA-256 of the program its command starts. The program runs installers with
// administrator rights from a medium others may write; a sealed installer is started only when its
// file, held so that it cannot change until the process runs, has that digest.
#pragma once

#include <optional>
#include <string>

#include "base/sha256.h"

namespace tavelin {

constexpr wchar_t kInstallSealKey[] = L"Install_SHA256";
constexpr wchar_t kUninstallSealKey[] = L"Uninstall_SHA256";

enum class SealVerdict {
    Unsealed,        // no seal: started as ever
    Matches,
    Differs,
    FileMissing,     // the file could not be opened or read whole
    SealUnreadable,  // the seal is not 64 hexadecimal digits: nothing it vouches for
};
const wchar_t* SealVerdictName(SealVerdict verdict);

// The file's digest against the seal; `digest` is nothing when the file could not be read.
SealVerdict JudgeSeal(const Sha256Digest& expected, const std::optional<Sha256Digest>& digest);

// The program file a command text starts, as the composed command line names it.
std::wstring SealedProgramPath(const std::wstring& discRoot, const std::wstring& commandText);

}  // namespace tavelin
