#include "evaluate/application_detection.h"

#include <gtest/gtest.h>

#include "evaluate/memory_registry.h"
#include "fake_evaluation_inputs.h"

namespace tavelin {
namespace {

constexpr RegistryView k64 = RegistryView::View64;

MemoryRegistry MakeMachine() {
    MemoryRegistry r;
    r.SetValue(L"SOFTWARE\\Maker\\AppA", L"Version", L"2.0");
    r.SetValue(L"SOFTWARE\\Maker\\AppD", L"Version", L"2.0.1");
    r.SetValue(L"SOFTWARE\\Maker\\Fits", L"Version", L"1." + std::wstring(37, L'0'));      // 39 characters
    r.SetValue(L"SOFTWARE\\Maker\\TooLong", L"Version", L"1." + std::wstring(38, L'0'));   // 40 characters
    for (const wchar_t* v : {L"1.0", L"2.0", L"Common"}) r.AddKey(std::wstring(L"SOFTWARE\\Maker\\AppB\\") + v);
    for (const wchar_t* v : {L"Common", L"2.0", L"3.0"}) r.AddKey(std::wstring(L"SOFTWARE\\Maker\\AppC\\") + v);
    r.AddKey(L"SOFTWARE\\Maker\\Empty");
    r.AddKey(L"SOFTWARE\\Microsoft\\Updates\\KB100");
    r.SetValue(L"SOFTWARE\\Maker\\App64", L"Version", L"2.0", k64);
    r.AddKey(L"SOFTWARE\\Microsoft\\Updates\\KB64", k64);
    r.AddKey(L"SOFTWARE\\Maker\\Versions64\\2.0", k64);
    return r;
}

struct AppCase {
    const char* name;
    int type;
    const wchar_t* versionPath;
    const wchar_t* iniVersion;
    bool ignoreVersionChecking;
    bool is64Bit;
    bool expectedInstalled;
    bool expectedVersionResult;
    std::vector<std::wstring> expectedMessages;
};

constexpr int kHotfix = ITEM_TYPE_HOTFIX;
constexpr int kApp = ITEM_TYPE_RECOMMENDED_APP;
const std::wstring kFound64 = L"Version status : Application VersionPath found in 64 OS registry";
const std::wstring kOpen64Failed = L"Error : Failed to open VersionPath in 32 and 64 bit registry";
const std::wstring kOpen32Failed = L"Error : Failed to open VersionPath in 32 bit registry";
const std::wstring kSame = L"Version Status : Same";
const std::wstring kIniNewer = L"Version Status : Ini newer";
const std::wstring kRegistryNewer = L"Version Status : Registry newer";
const std::wstring kError = L"Version Status : Error";
const std::wstring kIgnored = L"Version Status : Ini newer (because of IsIgnoreVersionChecking = true)";

TEST(DetectInstalledApplication, Table) {
    const AppCase cases[] = {
        {"hotfix in default view", kHotfix, L"SOFTWARE\\Microsoft\\Updates\\KB100", L"", false, true, true, false,
         {L"Version status : Hotfix VersionPath found in 32bit OS registry"}},
        {"hotfix in 64-bit view", kHotfix, L"SOFTWARE\\Microsoft\\Updates\\KB64", L"", false, true, true, false,
         {L"Version status : Hotfix VersionPath found in 64bit OS registry"}},
        {"hotfix missing on 64-bit", kHotfix, L"SOFTWARE\\Microsoft\\Updates\\KB999", L"", false, true, false, true,
         {L"Version status : Hotfix failed to open VersionPath in 32 and 64 bit registry"}},
        {"32-bit system has no second attempt", kHotfix, L"SOFTWARE\\Microsoft\\Updates\\KB64", L"", false, false,
         false, true, {L"Version status : Hotfix failed to open VersionPath in 32 bit registry"}},
        {"hotfix ignores a disc version", kHotfix, L"SOFTWARE\\Microsoft\\Updates\\KB100", L"9.9", false, false,
         true, false, {L"Version status : Hotfix VersionPath found in 32bit OS registry"}},
        {"no disc version, found", kApp, L"SOFTWARE\\Maker\\Empty", L"", false, true, true, false,
         {L"Version status : Application VersionPath found in 32bit OS registry(without version in ini file)"}},
        {"no disc version, found in 64-bit view", kApp, L"SOFTWARE\\Maker\\App64", L"", false, true, true, false,
         {L"Version status : Application VersionPath found in 64 OS registry(without version in ini file)"}},
        {"no disc version, missing on 64-bit", kApp, L"SOFTWARE\\Maker\\Nothing", L"", false, true, false, true,
         {L"Error : Failed to open VersionPath in 32 and 64 bit registry(without version in ini file)"}},
        {"no disc version, missing on 32-bit", kApp, L"SOFTWARE\\Maker\\App64", L"", false, false, false, true,
         {L"Error : Failed to open VersionPath in 32 bit OS(without version in ini file)"}},
        {"value form, same", kApp, L"SOFTWARE\\Maker\\AppA\\Version", L"2.0", false, true, true, false, {kSame}},
        {"value form, extra component", kApp, L"SOFTWARE\\Maker\\AppD\\Version", L"2.0", false, true, true, true,
         {kError}},
        {"value form, older installed", kApp, L"SOFTWARE\\Maker\\AppA\\Version", L"2.1", false, true, true, true,
         {kIniNewer}},
        {"value form, newer installed", kApp, L"SOFTWARE\\Maker\\AppA\\Version", L"1.9", false, true, true, false,
         {kRegistryNewer}},
        {"absent value against 1.0", kApp, L"SOFTWARE\\Maker\\AppA\\Missing", L"1.0", false, true, true, true,
         {kError}},
        {"absent value against 3", kApp, L"SOFTWARE\\Maker\\AppA\\Missing", L"3", false, true, true, true,
         {kIniNewer}},
        {"absent value against 0", kApp, L"SOFTWARE\\Maker\\AppA\\Missing", L"0", false, true, true, false, {kSame}},
        {"value form in 64-bit view", kApp, L"SOFTWARE\\Maker\\App64\\Version", L"2.0", false, true, true, false,
         {kFound64, kSame}},
        {"value form, key missing on 64-bit", kApp, L"SOFTWARE\\Maker\\Nothing\\Version", L"2.0", false, true,
         false, true, {kOpen64Failed}},
        {"value form, 64-bit only on 32-bit", kApp, L"SOFTWARE\\Maker\\App64\\Version", L"2.0", false, false,
         false, true, {kOpen32Failed}},
        {"value of 39 characters is read", kApp, L"SOFTWARE\\Maker\\Fits\\Version", L"1.0", false, true, true,
         false, {kSame}},
        {"value of 40 characters reads as absent", kApp, L"SOFTWARE\\Maker\\TooLong\\Version", L"1.0", false, true,
         true, true, {kError}},
        {"value form, blanks and doubled separators", kApp, L" SOFTWARE\\\\Maker\\AppA\\ Version ", L"2.0",
         false, true, true, false, {kSame}},
        {"key form stops at the first install answer", kApp, L"SOFTWARE\\Maker\\AppB\\", L"2.0", false, true, true,
         true, {kIniNewer}},
        {"key form skips non-versions and keeps going", kApp, L"SOFTWARE\\Maker\\AppC\\", L"2.0", false, true,
         true, false, {kSame, kRegistryNewer}},
        {"key form without version subkeys", kApp, L"SOFTWARE\\Maker\\Empty\\", L"2.0", false, true, true, false,
         {}},
        {"key form in 64-bit view", kApp, L"SOFTWARE\\Maker\\Versions64\\", L"2.0", false, true, true, false,
         {kFound64, kSame}},
        {"key form missing on 32-bit", kApp, L"SOFTWARE\\Maker\\Nothing\\", L"2.0", false, false, false, true,
         {kOpen32Failed}},
        {"key form, ignore version stops at registry newer", kApp, L"SOFTWARE\\Maker\\AppC\\", L"2.0", true, true,
         true, true, {kSame, kRegistryNewer, kIgnored}},
        {"value form, ignore version keeps same", kApp, L"SOFTWARE\\Maker\\AppA\\Version", L"2.0", true, true,
         true, false, {kSame}},
        {"value form, ignore version on newer installed", kApp, L"SOFTWARE\\Maker\\AppA\\Version", L"1.0", true,
         true, true, true, {kRegistryNewer, kIgnored}},
        {"empty path with a disc version", kApp, L"", L"1.0", false, true, false, true, {kOpen64Failed}},
        // The registry does not open a path that begins with a separator.
        {"hotfix path with a leading separator", kHotfix, L"\\SOFTWARE\\Microsoft\\Updates\\KB100", L"", false,
         true, false, true, {L"Version status : Hotfix failed to open VersionPath in 32 and 64 bit registry"}},
        {"key form with a leading separator", kApp, L"\\SOFTWARE\\Maker\\AppC\\", L"2.0", false, false, false,
         true, {kOpen32Failed}},
        // A blank first component still stands in the joined key path, which then begins with one.
        {"value form with a blank first component", kApp, L" \\SOFTWARE\\Maker\\AppA\\Version", L"2.0", false,
         false, false, true, {kOpen32Failed}},
    };
    MemoryRegistry registry = MakeMachine();
    for (const AppCase& c : cases) {
        CItem item;
        ApplicationFinding finding;
        item.m_nType = c.type;
        item.m_bIgnoreVersionChecking = c.ignoreVersionChecking;
        // Flags from a previous evaluation must not survive.
        item.m_bInstalled = !c.expectedInstalled;
        item.m_bVersionResult = !c.expectedVersionResult;
        RecordingSink sink;
        DetectInstalledApplication(AllDiagnostics(), sink, c.is64Bit, item, c.versionPath, c.iniVersion, registry, finding);
        EXPECT_EQ(item.m_bInstalled, c.expectedInstalled) << c.name;
        EXPECT_EQ(item.m_bVersionResult, c.expectedVersionResult) << c.name;
        EXPECT_EQ(sink.messages, c.expectedMessages) << c.name;
        // Whatever the lookup, the record's "found" is what made the item count as installed.
        EXPECT_EQ(finding.found, c.expectedInstalled) << c.name;
    }
}

TEST(DetectInstalledApplication, ErrorsAndStatusesFollowTheirSwitches) {
    MemoryRegistry registry = MakeMachine();
    struct Case {
        const char* name;
        const wchar_t* versionPath;
        const wchar_t* iniVersion;
        bool showErrors;
        bool showStatus;
        std::size_t expectedMessages;
    } const cases[] = {
        {"error under error switch", L"SOFTWARE\\Nothing\\V", L"1.0", true, false, 1},
        {"error hidden under status switch", L"SOFTWARE\\Nothing\\V", L"1.0", false, true, 0},
        {"status hidden under error switch", L"SOFTWARE\\Maker\\AppA\\Version", L"2.0", true, false, 0},
        {"status under status switch", L"SOFTWARE\\Maker\\AppA\\Version", L"2.0", false, true, 1},
    };
    for (const Case& c : cases) {
        CItem item;
        ApplicationFinding finding;
        item.m_nType = ITEM_TYPE_OPTIONAL_APP;
        DiagnosticSwitches switches;
        switches.m_bShowErrorMessage = c.showErrors;
        switches.m_bShowItemVersionStatus = c.showStatus;
        RecordingSink sink;
        DetectInstalledApplication(switches, sink, false, item, c.versionPath, c.iniVersion, registry, finding);
        EXPECT_EQ(sink.messages.size(), c.expectedMessages) << c.name;
    }
}

}  // namespace
}  // namespace tavelin
