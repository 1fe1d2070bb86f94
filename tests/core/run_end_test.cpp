// How a run ends: (what happened) x (how the program was started) -> (exit code, whether Windows
// is restarted, whether the items left stay in the restart record). One table holds every case a
// deployment tool or a user decides from.
#include "install/run_end.h"

#include <gtest/gtest.h>

#include <string>

#include "install/exit_code.h"
#include "narrow_text.h"

namespace tavelin {
namespace {

struct Mode {
    const char* name;
    RunMode mode;
    bool noRestart;
};
constexpr Mode kWindow{"window", RunMode::Window, false};
constexpr Mode kQuiet{"quiet", RunMode::Quiet, false};
constexpr Mode kPassive{"passive", RunMode::Passive, false};
constexpr Mode kQuietNoRestart{"quiet /norestart", RunMode::Quiet, true};
constexpr Mode kPassiveNoRestart{"passive /norestart", RunMode::Passive, true};
constexpr Mode kWindowNoRestart{"window /norestart", RunMode::Window, true};

struct Ending {
    const char* name;
    RunEndFacts facts;
};
// Runs that went through.
constexpr Ending kComplete{"complete", {RunStop::None, false, false, false, false}};
constexpr Ending kCompleteFailed{"complete, an item failed", {RunStop::None, false, true, false, false}};
// The restart item was the last checked row: nothing waits, the restart is still needed.
constexpr Ending kRestartLast{"restart item last", {RunStop::None, false, false, true, false}};
constexpr Ending kRestartWaiting{"restart item, items waiting", {RunStop::None, false, false, true, true}};
constexpr Ending kRestartLastFailed{"restart item last, another failed", {RunStop::None, false, true, true, false}};
constexpr Ending kRestartWaitingFailed{"restart item, items waiting, another failed",
                                       {RunStop::None, false, true, true, true}};
// Stops.
constexpr Ending kStoppedLeft{"stopped by the user, items left", {RunStop::OnRequest, true, false, false, true}};
constexpr Ending kStoppedInLastItem{"stop asked during the last item", {RunStop::None, true, false, false, false}};
constexpr Ending kStoppedAtRestartItem{"stop asked during a restart item, items waiting",
                                       {RunStop::None, true, false, true, true}};
constexpr Ending kStoppedAtLastRestartItem{"stop asked during the last item, a restart item",
                                           {RunStop::None, true, false, true, false}};
constexpr Ending kStoppedLeftFailed{"stopped by the user, items left, an item failed",
                                    {RunStop::OnRequest, true, true, false, true}};
// An error between two items: no row failed, items were never run.
constexpr Ending kErrorBetweenItems{"error between items", {RunStop::ByError, false, false, false, true}};
constexpr Ending kErrorInItem{"error in an item", {RunStop::ByError, false, true, false, true}};
// The disc was not there before an item, and nobody put it back (Cancel, or unattended).
constexpr Ending kDiscMissing{"disc missing, items left", {RunStop::DiscMissing, false, false, false, true}};
// An earlier item of the run asked for a restart: the rest waits for the disc, not for a restart.
constexpr Ending kDiscMissingAfterRestartCode{"disc missing after an item that needs a restart",
                                              {RunStop::DiscMissing, false, false, true, true}};

struct Row {
    Ending ending;
    Mode mode;
    int exitCode;
    RestartAction restart;
    bool record;
    int exitCodeWithoutRestart;
};

TEST(RunEnd, EveryEndingInEveryMode) {
    const RestartAction no = RestartAction::None, ask = RestartAction::AskFirst, now = RestartAction::Start;
    const Row rows[] = {
        {kComplete, kWindow, 0, no, false, 0},
        {kComplete, kQuiet, 0, no, false, 0},
        {kComplete, kPassiveNoRestart, 0, no, false, 0},
        {kCompleteFailed, kWindow, 1603, no, false, 1603},
        {kCompleteFailed, kQuiet, 1603, no, false, 1603},

        // The commonest disc: one driver that needs a restart, last in the list.
        {kRestartLast, kWindow, 1641, ask, false, 3010},
        {kRestartLast, kQuiet, 1641, now, false, 3010},
        {kRestartLast, kPassive, 1641, now, false, 3010},
        {kRestartLast, kQuietNoRestart, 3010, no, false, 3010},
        {kRestartLast, kPassiveNoRestart, 3010, no, false, 3010},
        {kRestartLast, kWindowNoRestart, 3010, no, false, 3010},

        {kRestartWaiting, kWindow, 1641, ask, true, 3010},
        {kRestartWaiting, kQuiet, 1641, now, true, 3010},
        {kRestartWaiting, kPassive, 1641, now, true, 3010},
        {kRestartWaiting, kQuietNoRestart, 3010, no, true, 3010},
        {kRestartWaiting, kWindowNoRestart, 3010, no, true, 3010},

        // A failure and a needed restart: the failure's code, and the restart still happens.
        {kRestartLastFailed, kQuiet, 1603, now, false, 1603},
        {kRestartLastFailed, kWindow, 1603, ask, false, 1603},
        {kRestartLastFailed, kQuietNoRestart, 1603, no, false, 1603},
        {kRestartWaitingFailed, kPassive, 1603, now, true, 1603},

        // After "stop and close" nothing restarts Windows; what is left stays for the next start.
        {kStoppedLeft, kWindow, 1602, no, true, 1602},
        {kStoppedLeft, kPassive, 1602, no, true, 1602},
        {kStoppedInLastItem, kWindow, 0, no, false, 0},
        {kStoppedInLastItem, kPassive, 0, no, false, 0},
        {kStoppedAtRestartItem, kWindow, 1602, no, true, 1602},
        {kStoppedAtRestartItem, kPassive, 1602, no, true, 1602},
        {kStoppedAtLastRestartItem, kWindow, 3010, no, false, 3010},
        {kStoppedAtLastRestartItem, kPassive, 3010, no, false, 3010},
        {kStoppedLeftFailed, kPassive, 1603, no, true, 1603},

        {kErrorBetweenItems, kWindow, 1603, no, false, 1603},
        {kErrorBetweenItems, kQuiet, 1603, no, false, 1603},
        {kErrorInItem, kPassive, 1603, no, false, 1603},

        // The items not run stay in the record for the next start of the disc; the caller learns
        // that the run did not install everything, and Windows is not restarted without the disc.
        {kDiscMissing, kWindow, 1603, no, true, 1603},
        {kDiscMissing, kQuiet, 1603, no, true, 1603},
        {kDiscMissing, kPassiveNoRestart, 1603, no, true, 1603},
        {kDiscMissingAfterRestartCode, kQuiet, 1603, no, true, 1603},
        {kDiscMissingAfterRestartCode, kWindow, 1603, no, true, 1603},
    };
    for (const Row& row : rows) {
        const RunEndPlan plan = PlanRunEnd(row.ending.facts, row.mode.mode, row.mode.noRestart);
        const std::string name = std::string(row.ending.name) + " / " + row.mode.name;
        EXPECT_EQ(plan.exitCode, row.exitCode) << name;
        EXPECT_EQ(Narrow(RestartActionName(plan.restart)), Narrow(RestartActionName(row.restart))) << name;
        EXPECT_EQ(plan.keepRecord, row.record) << name;
        EXPECT_EQ(plan.exitCodeWithoutRestart, row.exitCodeWithoutRestart) << name;
    }
}

// Windows already waited for a restart when the program started: the caller learns it (3010)
// even when no item asked for one, but the program does not restart Windows for it.
TEST(RunEnd, ARestartPendingBeforeTheRunIsReportedNotMade) {
    struct Case {
        const char* name;
        RunEndFacts facts;
        Mode mode;
        int exitCode;
        RestartAction restart;
    };
    const RunEndFacts pendingOnly{RunStop::None, false, false, false, false, true};
    const RunEndFacts pendingFailed{RunStop::None, false, true, false, false, true};
    const RunEndFacts pendingAndItem{RunStop::None, false, false, true, false, true};
    const RunEndFacts pendingStopped{RunStop::OnRequest, true, false, false, true, true};
    const Case cases[] = {
        {"nothing else", pendingOnly, kQuiet, 3010, RestartAction::None},
        {"nothing else, window", pendingOnly, kWindow, 3010, RestartAction::None},
        {"nothing else, /norestart", pendingOnly, kPassiveNoRestart, 3010, RestartAction::None},
        {"an item failed", pendingFailed, kQuiet, 1603, RestartAction::None},
        {"an item needs a restart too", pendingAndItem, kQuiet, 1641, RestartAction::Start},
        {"stopped with items left", pendingStopped, kPassive, 1602, RestartAction::None},
    };
    for (const Case& c : cases) {
        const RunEndPlan plan = PlanRunEnd(c.facts, c.mode.mode, c.mode.noRestart);
        EXPECT_EQ(plan.exitCode, c.exitCode) << c.name;
        EXPECT_EQ(Narrow(RestartActionName(plan.restart)), Narrow(RestartActionName(c.restart))) << c.name;
    }
}

// The window closed while no run went on.
TEST(RunEnd, ClosingTheWindowOutsideARun) {
    EXPECT_EQ(ExitCodeOfClosedWindow(false, 0, false), kExitSuccess) << "nothing to install";
    EXPECT_EQ(ExitCodeOfClosedWindow(false, 0, true), kExitUserCancelled) << "offered and declined";
    EXPECT_EQ(ExitCodeOfClosedWindow(true, kExitRestartNeeded, true), kExitRestartNeeded) << "after a run";
    EXPECT_EQ(ExitCodeOfClosedWindow(true, kExitSuccess, true), kExitSuccess) << "after a run that re-scanned";
}

}  // namespace
}  // namespace tavelin
