// How the run supervises an installer besides waiting for it: which time limit applies, how long
// it waits while another installation holds Windows Installer, when it reports on an installer
// that is still running, and the log lines it writes for each. Plain decisions over numbers, so
// that every case is a line of a table; the run (installation_run.cpp) acts on them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavelin {

// Without a time limit, the wait for another installation to leave Windows Installer ends here.
constexpr std::uint32_t kInstallerBusyWaitCapSeconds = 600;
// A running installer, and a wait for Windows Installer, get a log line this often.
constexpr std::uint32_t kReportIntervalSeconds = 60;

enum class TimeLimitSource {
    None,    // waits as long as it takes, as it always did
    Switch,  // /timeout SECONDS, for administrators: overrides the disc
    Item,    // the item's own Install_Timeout
    Disc,    // Install_Timeout of [Driver_CD], the default for every item
};
const wchar_t* TimeLimitSourceName(TimeLimitSource source);

struct TimeLimit {
    std::uint32_t seconds = 0;  // 0 with None
    TimeLimitSource source = TimeLimitSource::None;
    bool IsSet() const { return source != TimeLimitSource::None; }
    std::uint64_t Milliseconds() const { return static_cast<std::uint64_t>(seconds) * 1000; }
};

// The limits that hold for every item of a run; 0 where none was given.
struct RunTimeLimits {
    std::uint32_t discSeconds = 0;    // Install_Timeout in [Driver_CD]
    std::uint32_t switchSeconds = 0;  // /timeout
};

// The switch beats the item, the item beats the disc's default; 0 means "not given" everywhere.
TimeLimit ChooseTimeLimit(std::uint32_t itemSeconds, const RunTimeLimits& limits);

// "no time limit", "time limit 300 s (/timeout)", "time limit 300 s (Install_Timeout of the item)",
// "time limit 300 s (Install_Timeout of the disc)".
std::wstring TimeLimitText(const TimeLimit& limit);

// When the installer is one that must wait for Windows Installer: before it starts, or after it
// ended (its work may go on in the Windows Installer service after its process is gone).
enum class BusyWaitPhase { Before, After };

// How long a wait for Windows Installer may last. Before an installer the wait counts against the
// item's time limit when one is set; otherwise, and after an installer, it ends at the cap.
struct BusyWaitBound {
    std::uint64_t milliseconds = 0;
    bool isTimeLimit = false;  // the item's time limit, not the cap
};
BusyWaitBound BusyWaitBoundOf(const TimeLimit& limit, BusyWaitPhase phase);

enum class BusyWaitStep {
    Go,      // Windows Installer is free
    Wait,    // still busy, and the bound has not passed
    GiveUp,  // still busy when the bound passed, or the wait used up the item's whole time limit:
             // the row is "Failed"
};
const wchar_t* BusyWaitStepName(BusyWaitStep step);
BusyWaitStep NextBusyWaitStep(bool busy, std::uint64_t waitedMs, const BusyWaitBound& bound);

// True when a report falls due between two readings of the elapsed time (each full interval).
bool ReportDue(std::uint64_t elapsedBeforeMs, std::uint64_t elapsedAfterMs);

// The log lines; `what` names the command ("Item 4: install").
std::wstring RunningReportText(const std::wstring& what, std::uint64_t elapsedMs,
                               const std::vector<std::wstring>& windowTitles);
std::wstring TimedOutText(const std::wstring& what, const TimeLimit& limit, const std::wstring& commandLine);
std::wstring BusyWaitBeginsText(const std::wstring& what, BusyWaitPhase phase);
std::wstring BusyWaitReportText(const std::wstring& what, std::uint64_t waitedMs);
std::wstring BusyWaitEndsText(const std::wstring& what, std::uint64_t waitedMs);
std::wstring BusyGiveUpText(const std::wstring& what, BusyWaitPhase phase, std::uint64_t waitedMs,
                            const BusyWaitBound& bound);

}  // namespace tavelin
