// What an installer's exit code makes of its row, and what a run's results make of the program's
// exit code.
#include <gtest/gtest.h>

#include "config/catalogue.h"
#include "install/exit_code.h"
#include "install/installer_result.h"
#include "narrow_text.h"

namespace tavelin {
namespace {

TEST(ParseExitCodeList, Table) {
    const std::pair<std::wstring, std::vector<std::uint32_t>> cases[] = {
        {L"", {}},
        {L"0, 3010", {0, 3010}},
        {L"0x80070005", {0x80070005u}},
        {L"0XfF", {255}},
        {L"-1", {0xFFFFFFFFu}},
        {L"-2147483648", {0x80000000u}},
        {L"-2147483649", {}},
        {L"4294967295", {0xFFFFFFFFu}},
        {L"4294967296", {}},
        {L"0x100000000", {}},
        {L"12a, 3010, x, 0x, -", {3010}},
    };
    for (const auto& [value, codes] : cases) EXPECT_EQ(ParseExitCodeList(value), codes) << Narrow(value);
}

TEST(JudgeInstallerExit, OnlyWhereTheDiscSaysWhatCodesMean) {
    CItem silent;
    CItem both;
    both.m_arrSuccessCodes = {0, 3010};
    both.m_arrRestartCodes = {3010, 1641};
    CItem restartOnly;
    restartOnly.m_arrRestartCodes = {3010};
    struct Case {
        const CItem* item;
        std::uint32_t code;
        InstallerVerdict verdict;
    };
    const Case cases[] = {
        {&silent, 0, InstallerVerdict::Done},
        {&silent, 1603, InstallerVerdict::Done},
        {&silent, 0xFFFFFFFFu, InstallerVerdict::Done},
        {&both, 0, InstallerVerdict::Done},
        {&both, 3010, InstallerVerdict::DoneRestartNeeded},
        {&both, 1641, InstallerVerdict::DoneRestartNeeded},
        {&both, 1, InstallerVerdict::Failed},
        {&restartOnly, 0, InstallerVerdict::Done},
        {&restartOnly, 3010, InstallerVerdict::DoneRestartNeeded},
        {&restartOnly, 2, InstallerVerdict::Failed},
    };
    for (const Case& c : cases) EXPECT_EQ(JudgeInstallerExit(*c.item, c.code), c.verdict) << c.code;
}

TEST(ExitCodeOf, AFailureOutweighsARestart) {
    EXPECT_EQ(ExitCodeOf({}), 0);
    EXPECT_EQ(ExitCodeOf({false, true, false}), 3010);
    EXPECT_EQ(ExitCodeOf({false, true, true}), 1641);
    EXPECT_EQ(ExitCodeOf({true, true, true}), 1603);
}

}  // namespace
}  // namespace tavelin
