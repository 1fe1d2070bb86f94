// The version answers of the running (Wine) Windows. The per-version runs set TAVELIN_EXPECTED_OS
// to "major.minor productType bitness key" (key "-" for none), e.g. "5.1 1 32 WNT_5.1_XP", and
// switch the prefix's version first (tests/wine/in-fresh-prefix.sh --version).
#include "probe/os_facts_win.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

namespace tavelin {
namespace {

struct ExpectedOs {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned productType = 0;
    int bitness = 0;
    std::string key;
};

bool ParseExpectedOs(const char* text, ExpectedOs& expected) {
    std::istringstream in(text);
    char dot = 0;
    in >> expected.major >> dot >> expected.minor >> expected.productType >> expected.bitness >> expected.key;
    if (expected.key == "-") expected.key.clear();
    return !in.fail() && dot == '.';
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(OsFactsInPrefix, MatchTheWindowsVersionOfThePrefix) {
    const char* setting = std::getenv("TAVELIN_EXPECTED_OS");
    if (setting == nullptr) GTEST_SKIP() << "run per Windows version with TAVELIN_EXPECTED_OS set";
    ExpectedOs expected;
    ASSERT_TRUE(ParseExpectedOs(setting, expected)) << "TAVELIN_EXPECTED_OS=" << setting;

    const OsFacts facts = GatherOsFacts();
    ASSERT_TRUE(facts.versionQueryOk) << setting;
    EXPECT_EQ(facts.platformId, kPlatformWin32Nt) << setting;
    EXPECT_EQ(facts.majorVersion, expected.major) << setting;
    EXPECT_EQ(facts.minorVersion, expected.minor) << setting;
    EXPECT_EQ(facts.productType, expected.productType) << setting;

    const bool is64 = expected.bitness == 64;
    const bool process64 = sizeof(void*) == 8;
    EXPECT_EQ(facts.is64BitProcess, process64) << setting;
    EXPECT_TRUE(facts.isWow64ProcessAvailable) << setting;
    // Only a 32-bit process on 64-bit Windows runs under WOW64.
    EXPECT_EQ(facts.isWow64, is64 && !process64) << setting;
    EXPECT_TRUE(facts.nativeSystemInfoAvailable) << setting;
    if (is64) {
        EXPECT_EQ(facts.nativeArchitecture, kArchitectureAmd64) << setting;
    } else {
        EXPECT_EQ(facts.nativeArchitecture, 0) << setting << " (x86)";
    }

    const MachineFacts machine = IdentifyOperatingSystem();
    EXPECT_EQ(Narrow(machine.m_szOSKey), expected.key) << setting;
    EXPECT_EQ(machine.m_b64Bit, is64) << setting;
    EXPECT_EQ(machine.m_szLanguageCode.size(), 4u) << setting;
}

}  // namespace
}  // namespace tavelin
