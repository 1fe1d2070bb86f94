#include "install/run_fingerprints.h"

namespace tavelin {

const wchar_t* FingerprintCheckName(FingerprintCheck check) {
    switch (check) {
        case FingerprintCheck::NotRecorded: return L"NotRecorded";
        case FingerprintCheck::Same: return L"Same";
        case FingerprintCheck::Differs: return L"Differs";
    }
    return L"?";
}

FingerprintCheck CompareFingerprint(const std::optional<std::wstring>& stored,
                                    const std::optional<Sha256Digest>& current) {
    if (!stored) return FingerprintCheck::NotRecorded;
    // A value that is there but no digest was not written by the program: nothing it vouches for.
    const std::optional<Sha256Digest> recorded = ParseSha256Text(*stored);
    if (!recorded || !current) return FingerprintCheck::Differs;
    return *recorded == *current ? FingerprintCheck::Same : FingerprintCheck::Differs;
}

}  // namespace tavelin
