// The supervision decisions alone: which time limit applies, how long a wait for Windows Installer
// may last, when a report falls due, and the log lines.
#include "install/installer_supervision.h"

#include <gtest/gtest.h>

#include "narrow_text.h"

namespace tavelin {
namespace {

TEST(ChooseTimeLimit, TheSwitchThenTheItemThenTheDisc) {
    struct Case {
        std::uint32_t item;
        RunTimeLimits limits;
        std::uint32_t seconds;
        TimeLimitSource source;
        const char* text;
    };
    const Case cases[] = {
        {0, {0, 0}, 0, TimeLimitSource::None, "no time limit"},
        {300, {0, 0}, 300, TimeLimitSource::Item, "time limit 300 s (Install_Timeout of the item)"},
        {0, {1800, 0}, 1800, TimeLimitSource::Disc, "time limit 1800 s (Install_Timeout of the disc)"},
        {300, {1800, 0}, 300, TimeLimitSource::Item, "time limit 300 s (Install_Timeout of the item)"},
        // The administrator's switch overrides the disc, shorter or longer.
        {300, {1800, 60}, 60, TimeLimitSource::Switch, "time limit 60 s (/timeout)"},
        {0, {0, 7200}, 7200, TimeLimitSource::Switch, "time limit 7200 s (/timeout)"},
        {5, {0, 7200}, 7200, TimeLimitSource::Switch, "time limit 7200 s (/timeout)"},
    };
    for (const Case& c : cases) {
        const TimeLimit limit = ChooseTimeLimit(c.item, c.limits);
        EXPECT_EQ(limit.seconds, c.seconds) << c.text;
        EXPECT_EQ(Narrow(TimeLimitSourceName(limit.source)), Narrow(TimeLimitSourceName(c.source))) << c.text;
        EXPECT_EQ(Narrow(TimeLimitText(limit)), c.text);
    }
}

TEST(BusyWait, BoundsAndSteps) {
    const TimeLimit none;
    const TimeLimit five{5, TimeLimitSource::Item};
    struct Case {
        const char* name;
        TimeLimit limit;
        BusyWaitPhase phase;
        bool busy;
        std::uint64_t waitedMs;
        BusyWaitStep expected;
    };
    const Case cases[] = {
        {"free at once", none, BusyWaitPhase::Before, false, 0, BusyWaitStep::Go},
        {"busy, no limit, 599 s", none, BusyWaitPhase::Before, true, 599000, BusyWaitStep::Wait},
        {"busy, no limit, 600 s", none, BusyWaitPhase::Before, true, 600000, BusyWaitStep::GiveUp},
        {"free after 599 s", none, BusyWaitPhase::Before, false, 599000, BusyWaitStep::Go},
        {"busy, limit 5 s, 4 s", five, BusyWaitPhase::Before, true, 4000, BusyWaitStep::Wait},
        {"busy, limit 5 s, 5 s", five, BusyWaitPhase::Before, true, 5000, BusyWaitStep::GiveUp},
        // Nothing is left of the limit for the installer itself.
        {"free only when the limit is used up", five, BusyWaitPhase::Before, false, 5000, BusyWaitStep::GiveUp},
        {"free with time left", five, BusyWaitPhase::Before, false, 4000, BusyWaitStep::Go},
        // After its installer ended the item's limit is no longer the bound: the cap is.
        {"after, limit 5 s, busy 5 s", five, BusyWaitPhase::After, true, 5000, BusyWaitStep::Wait},
        {"after, limit 5 s, free at 600 s", five, BusyWaitPhase::After, false, 600000, BusyWaitStep::Go},
        {"after, busy 600 s", five, BusyWaitPhase::After, true, 600000, BusyWaitStep::GiveUp},
    };
    for (const Case& c : cases) {
        const BusyWaitStep step = NextBusyWaitStep(c.busy, c.waitedMs, BusyWaitBoundOf(c.limit, c.phase));
        EXPECT_EQ(Narrow(BusyWaitStepName(step)), Narrow(BusyWaitStepName(c.expected))) << c.name;
    }
}

TEST(ReportDue, OncePerFullMinute) {
    struct Case {
        std::uint64_t before;
        std::uint64_t after;
        bool due;
    };
    const Case cases[] = {
        {0, 1000, false}, {58000, 59000, false}, {59000, 60000, true}, {59500, 60500, true},
        {60000, 61000, false}, {119000, 120000, true}, {0, 0, false},
    };
    for (const Case& c : cases) EXPECT_EQ(ReportDue(c.before, c.after), c.due) << c.before << " -> " << c.after;
}

TEST(SupervisionTexts, WhatTheLogSays) {
    EXPECT_EQ(Narrow(RunningReportText(L"Item 4: install", 120500, {})),
              "Item 4: install still running after 120 s, no visible window");
    EXPECT_EQ(Narrow(RunningReportText(L"Item 4: install", 60000, {L"Setup", L""})),
              "Item 4: install still running after 60 s, visible windows: \"Setup\", \"\"");
    EXPECT_EQ(Narrow(TimedOutText(L"Item 4: uninstall", TimeLimit{5, TimeLimitSource::Switch}, L"\"D:\\U.exe\" /q")),
              "Item 4: uninstall timed out after 5 s (/timeout), its processes ended: \"D:\\U.exe\" /q");
    EXPECT_EQ(Narrow(BusyWaitBeginsText(L"Item 4: install", BusyWaitPhase::After)),
              "Item 4: install waits after it ended: another installation holds Windows Installer");
}

}  // namespace
}  // namespace tavelin
