// A system restore point before the first driver or hotfix of a run: a way back for whoever finds
// a machine worse after the disc. Asked for once per run; a run that resumes after a restart has
// its point from before the restart already. Whatever System Restore answers, the run goes on; the
// log says what happened and why.
#pragma once

#include <cstdint>
#include <string>

#include "config/catalogue.h"
#include "config/config_file.h"
#include "runlog/run_log.h"

namespace tavelin {

enum class RestorePointAnswer {
    Created,        // System Restore took the point (on Windows 8 and later it may keep a recent one instead)
    Unavailable,    // no System Restore: its library or entry point is missing, or it fails without a reason
    ProtectionOff,  // System Protection is off (or its service disabled)
    Failed,         // any other failure, with Windows' status
};

struct RestorePointResult {
    RestorePointAnswer answer = RestorePointAnswer::Failed;
    std::uint32_t status = 0;      // Windows' status code, for the log
    std::int64_t sequence = 0;     // the point's sequence number when created
    bool mayKeepRecent = false;    // Windows 8 and later: a point of the last 24 hours counts instead
};

// System Restore (install/restore_point_win.h); tests answer as they need.
class RestorePointService {
public:
    virtual ~RestorePointService() = default;
    virtual RestorePointResult Create(const std::wstring& description) = 0;
};

// The point's name: "Tavelin: before installing drivers from <disc title>", cut to the 255
// characters System Restore keeps.
std::wstring RestorePointDescription(const std::wstring& discTitle);

// "[Driver_CD]" "Restore_Point": 0 turns the point off; missing or anything else leaves it on.
bool DiscAllowsRestorePoint(const ConfigFile& config);

// Why no point is asked for in this run, or None.
enum class RestorePointOff { None, Switch, Disc, Resumed };

struct RestorePointPolicy {
    bool noRestorePointSwitch = false;  // /norestorepoint
    bool discAllows = true;             // Restore_Point
    bool resumedRun = false;            // the run goes on from a restart record
};
RestorePointOff RestorePointOffReason(const RestorePointPolicy& policy);

// One run's point: asked for before the first driver or hotfix, once.
class RestorePointStep {
public:
    RestorePointStep(RestorePointService& service, RunLog& log, std::wstring discTitle, RestorePointPolicy policy)
        : m_service(service), m_log(log), m_discTitle(std::move(discTitle)), m_policy(policy) {}
    // Called before each item's installer runs.
    void BeforeItem(const CItem& item);
    bool Done() const { return m_done; }

private:
    RestorePointService& m_service;
    RunLog& m_log;
    std::wstring m_discTitle;
    RestorePointPolicy m_policy;
    bool m_done = false;
};

// A line of the log for what System Restore answered.
std::wstring RestorePointResultText(const RestorePointResult& result);

}  // namespace tavelin
