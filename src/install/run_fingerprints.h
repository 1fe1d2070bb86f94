// The fingerprints a restart record keeps of the run it resumes: the SHA-256 of the program that
// began the run and of its catalogue. The disc may lie on a medium others can write; after the
// restart the helper starts the program elevated and the program runs the catalogue's installers,
// so both are checked against what the administrator started. Kept in values of their own, which
// older programs ignore; a record without them (written by an older program) resumes as before.
#pragma once

#include <optional>
#include <string>

#include "base/sha256.h"

namespace tavelin {

constexpr wchar_t kProgramFingerprintValueName[] = L"SetupSHA256";
constexpr wchar_t kCatalogueFingerprintValueName[] = L"CatalogueSHA256";

struct RunFingerprints {
    std::optional<Sha256Digest> program;    // nothing when the file could not be read
    std::optional<Sha256Digest> catalogue;
};

enum class FingerprintCheck {
    NotRecorded,  // an older record: nothing to compare, resumed as before
    Same,
    Differs,      // also when the stored value is no digest, or the file cannot be read now
};
const wchar_t* FingerprintCheckName(FingerprintCheck check);

FingerprintCheck CompareFingerprint(const std::optional<std::wstring>& stored,
                                    const std::optional<Sha256Digest>& current);

}  // namespace tavelin
