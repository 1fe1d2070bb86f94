#include "install/run_fingerprints.h"

#include <gtest/gtest.h>

namespace tavelin {
namespace {

// A record of an older program has no fingerprint and resumes as before; anything else resumes
// only with the very file the run began with.
TEST(RunFingerprints, OnlyTheRecordedFileOrNoRecordResumes) {
    const Sha256Digest began = Sha256Of("the catalogue the run began with");
    const Sha256Digest changed = Sha256Of("the catalogue put on the disc since");
    const struct {
        const char* name;
        std::optional<std::wstring> stored;
        std::optional<Sha256Digest> current;
        FingerprintCheck check;
    } cases[] = {
        {"older record", std::nullopt, changed, FingerprintCheck::NotRecorded},
        {"older record, file unreadable", std::nullopt, std::nullopt, FingerprintCheck::NotRecorded},
        {"same file", Sha256Text(began), began, FingerprintCheck::Same},
        {"changed file", Sha256Text(began), changed, FingerprintCheck::Differs},
        {"file unreadable now", Sha256Text(began), std::nullopt, FingerprintCheck::Differs},
        {"value is no digest", L"not a digest", began, FingerprintCheck::Differs},
        {"value empty", L"", began, FingerprintCheck::Differs},
    };
    for (const auto& c : cases) EXPECT_EQ(CompareFingerprint(c.stored, c.current), c.check) << c.name;
}

}  // namespace
}  // namespace tavelin
