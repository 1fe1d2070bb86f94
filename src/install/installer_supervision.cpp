#include "install/installer_supervision.h"

namespace tavelin {

namespace {

std::wstring Seconds(std::uint64_t milliseconds) { return std::to_wstring(milliseconds / 1000) + L" s"; }

}  // namespace

const wchar_t* TimeLimitSourceName(TimeLimitSource source) {
    switch (source) {
        case TimeLimitSource::None: return L"None";
        case TimeLimitSource::Switch: return L"Switch";
        case TimeLimitSource::Item: return L"Item";
        case TimeLimitSource::Disc: return L"Disc";
    }
    return L"?";
}

TimeLimit ChooseTimeLimit(std::uint32_t itemSeconds, const RunTimeLimits& limits) {
    if (limits.switchSeconds > 0) return TimeLimit{limits.switchSeconds, TimeLimitSource::Switch};
    if (itemSeconds > 0) return TimeLimit{itemSeconds, TimeLimitSource::Item};
    if (limits.discSeconds > 0) return TimeLimit{limits.discSeconds, TimeLimitSource::Disc};
    return TimeLimit{};
}

namespace {

const wchar_t* WhereTheLimitComesFrom(TimeLimitSource source) {
    switch (source) {
        case TimeLimitSource::None: return L"none";
        case TimeLimitSource::Switch: return L"/timeout";
        case TimeLimitSource::Item: return L"Install_Timeout of the item";
        case TimeLimitSource::Disc: return L"Install_Timeout of the disc";
    }
    return L"?";
}

}  // namespace

std::wstring TimeLimitText(const TimeLimit& limit) {
    if (!limit.IsSet()) return L"no time limit";
    return L"time limit " + std::to_wstring(limit.seconds) + L" s (" + WhereTheLimitComesFrom(limit.source) + L")";
}

BusyWaitBound BusyWaitBoundOf(const TimeLimit& limit, BusyWaitPhase phase) {
    if (phase == BusyWaitPhase::Before && limit.IsSet()) return BusyWaitBound{limit.Milliseconds(), true};
    return BusyWaitBound{static_cast<std::uint64_t>(kInstallerBusyWaitCapSeconds) * 1000, false};
}

const wchar_t* BusyWaitStepName(BusyWaitStep step) {
    switch (step) {
        case BusyWaitStep::Go: return L"Go";
        case BusyWaitStep::Wait: return L"Wait";
        case BusyWaitStep::GiveUp: return L"GiveUp";
    }
    return L"?";
}

BusyWaitStep NextBusyWaitStep(bool busy, std::uint64_t waitedMs, const BusyWaitBound& bound) {
    // A wait that used up the item's whole time limit leaves the installer no time at all.
    if (bound.isTimeLimit && waitedMs >= bound.milliseconds) return BusyWaitStep::GiveUp;
    if (!busy) return BusyWaitStep::Go;
    return waitedMs >= bound.milliseconds ? BusyWaitStep::GiveUp : BusyWaitStep::Wait;
}

bool ReportDue(std::uint64_t elapsedBeforeMs, std::uint64_t elapsedAfterMs) {
    const std::uint64_t interval = static_cast<std::uint64_t>(kReportIntervalSeconds) * 1000;
    return elapsedAfterMs / interval > elapsedBeforeMs / interval;
}

std::wstring RunningReportText(const std::wstring& what, std::uint64_t elapsedMs,
                               const std::vector<std::wstring>& windowTitles) {
    std::wstring text = what + L" still running after " + Seconds(elapsedMs);
    if (windowTitles.empty()) return text + L", no visible window";
    // A window shown under a silent switch usually waits for an answer nobody gives.
    text += L", visible windows:";
    for (std::size_t i = 0; i < windowTitles.size(); ++i) text += (i == 0 ? L" \"" : L", \"") + windowTitles[i] + L"\"";
    return text;
}

std::wstring TimedOutText(const std::wstring& what, const TimeLimit& limit, const std::wstring& commandLine) {
    return what + L" timed out after " + std::to_wstring(limit.seconds) + L" s (" +
           WhereTheLimitComesFrom(limit.source) + L"), its processes ended: " + commandLine;
}

std::wstring BusyWaitBeginsText(const std::wstring& what, BusyWaitPhase phase) {
    return what + (phase == BusyWaitPhase::Before ? L" waits before it starts" : L" waits after it ended") +
           L": another installation holds Windows Installer";
}

std::wstring BusyWaitReportText(const std::wstring& what, std::uint64_t waitedMs) {
    return what + L" still waiting for another installation after " + Seconds(waitedMs);
}

std::wstring BusyWaitEndsText(const std::wstring& what, std::uint64_t waitedMs) {
    return what + L": Windows Installer is free after " + Seconds(waitedMs);
}

std::wstring BusyGiveUpText(const std::wstring& what, BusyWaitPhase phase, std::uint64_t waitedMs,
                            const BusyWaitBound& bound) {
    std::wstring text = what + L": another installation held Windows Installer for " + Seconds(waitedMs) +
                        (bound.isTimeLimit ? L", the item's time limit" : L", the longest the program waits");
    return text + (phase == BusyWaitPhase::Before ? L"; not started, row Failed" : L"; row Failed");
}

}  // namespace tavelin
