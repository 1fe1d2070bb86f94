// The restore point before a run's first driver or hotfix: when it is asked for, and what the log
// says whatever System Restore answers (the system call behind a seam).
#include "install/restore_point.h"

#include <gtest/gtest.h>

#include <vector>

#include "../support/memory_run_log.h"
#include "narrow_text.h"
#include "temp_ini_file.h"

namespace tavelin {
namespace {

class FakeSystemRestore : public RestorePointService {
public:
    explicit FakeSystemRestore(RestorePointResult answer = {RestorePointAnswer::Created, 0, 42, false})
        : m_answer(answer) {}
    RestorePointResult Create(const std::wstring& description) override {
        asked.push_back(description);
        return m_answer;
    }
    std::vector<std::wstring> asked;

private:
    RestorePointResult m_answer;
};

CItem ItemOfType(std::int32_t number, int type) {
    CItem item;
    item.m_nItemNo = number;
    item.m_nType = type;
    return item;
}

TEST(RestorePoint, AskedOnceBeforeTheFirstDriverOrHotfixUnlessTurnedOff) {
    const RestorePointPolicy on;
    const struct {
        const char* name;
        std::vector<int> types;  // the run's items in order, numbered from 1
        RestorePointPolicy policy;
        bool asked;
        const char* logged;  // the first line about it; null for none
    } cases[] = {
        {"a driver first", {ITEM_TYPE_DRIVER, ITEM_TYPE_DRIVER}, on, true,
         "Restore point before Item 1: asking System Restore for \"Tavelin: before installing drivers from Disc\""},
        {"applications first, then a hotfix",
         {ITEM_TYPE_OPTIONAL_APP, ITEM_TYPE_RECOMMENDED_APP, ITEM_TYPE_HOTFIX, ITEM_TYPE_DRIVER}, on, true,
         "Restore point before Item 3: asking System Restore for \"Tavelin: before installing drivers from Disc\""},
        {"applications only", {ITEM_TYPE_OPTIONAL_APP, ITEM_TYPE_RECOMMENDED_APP}, on, false, nullptr},
        {"/norestorepoint", {ITEM_TYPE_DRIVER}, {true, true, false}, false,
         "Restore point before Item 1: not made, /norestorepoint"},
        {"Restore_Point=0", {ITEM_TYPE_DRIVER}, {false, false, false}, false,
         "Restore point before Item 1: not made, the disc says Restore_Point=0"},
        {"a resumed run", {ITEM_TYPE_OPTIONAL_APP, ITEM_TYPE_DRIVER}, {false, true, true}, false,
         "Restore point before Item 2: not made, this run goes on after a restart and its point was made before it"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryRunLog log;
        FakeSystemRestore system;
        RestorePointStep step(system, log.Log(), L"Disc", c.policy);
        std::int32_t number = 1;
        for (int type : c.types) step.BeforeItem(ItemOfType(number++, type));
        EXPECT_EQ(system.asked.size(), c.asked ? 1u : 0u) << "at most one point per run";
        const std::vector<std::string> lines = log.Lines();
        if (c.logged == nullptr) {
            EXPECT_TRUE(lines.empty()) << log.Joined();
        } else {
            ASSERT_FALSE(lines.empty());
            EXPECT_EQ(lines.front(), c.logged);
        }
    }
}

TEST(RestorePoint, WhateverSystemRestoreAnswersTheLogSaysWhy) {
    const struct {
        RestorePointResult answer;
        const char* logged;
    } cases[] = {
        {{RestorePointAnswer::Created, 0, 17, false}, "Restore point: made, sequence number 17"},
        {{RestorePointAnswer::Created, 0, 18, true},
         "Restore point: made, sequence number 18 (this Windows makes no new point within 24 hours of the last "
         "one and answers the same: the point made then is the way back)"},
        {{RestorePointAnswer::Unavailable, 0, 0, false},
         "Restore point: not made, System Restore is missing on this Windows or does not work on it; the run goes on"},
        {{RestorePointAnswer::ProtectionOff, 1058, 0, false},
         "Restore point: not made, System Protection is off (status 1058); the run goes on"},
        {{RestorePointAnswer::Failed, 1460, 0, false},
         "Restore point: not made, System Restore failed (status 1460); the run goes on"},
    };
    for (const auto& c : cases) {
        MemoryRunLog log;
        FakeSystemRestore system(c.answer);
        RestorePointStep step(system, log.Log(), L"Disc", RestorePointPolicy{});
        step.BeforeItem(ItemOfType(4, ITEM_TYPE_DRIVER));
        EXPECT_TRUE(log.Has(c.logged)) << log.Joined();
    }
}

TEST(RestorePoint, TheDescriptionNamesTheDiscAndFitsSystemRestore) {
    EXPECT_EQ(RestorePointDescription(L"Tavelin Book 7"), L"Tavelin: before installing drivers from Tavelin Book 7");
    EXPECT_EQ(RestorePointDescription(std::wstring(400, L'x')).size(), 255u);
}

TEST(RestorePoint, OnlyRestorePointZeroTurnsItOffOnTheDisc) {
    const struct {
        const char* driverCd;
        bool allows;
    } cases[] = {
        {"", true},
        {"Restore_Point=1\r\n", true},
        {"Restore_Point=0\r\n", false},
        {"Restore_Point= 0 ; none for this disc\r\n", false},
        {"Restore_Point=yes\r\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.driverCd);
        const TempIniFile ini(std::string("[Driver_CD]\r\nTitle_ENG=Disc\r\n") + c.driverCd);
        EXPECT_EQ(DiscAllowsRestorePoint(ini.Config()), c.allows);
    }
}

}  // namespace
}  // namespace tavelin
