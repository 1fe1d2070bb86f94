// The restart record as every run keeps it, so that whatever stops the run (a logoff, a shutdown,
// an installer restarting Windows by itself, a power cut, a killed program) loses nothing: before
// each item's installer starts the record holds that item and the checked items below it, and the
// restart helper is registered to run at the next logon; after each item it holds the items below
// it; when nothing is left, the record and the helper's registration go.
#pragma once

#include <string>

namespace tavelin {

class RunRecord {
public:
    virtual ~RunRecord() = default;
    // The record holds `waitingList` and the begin counts of its items (install/resume_loop.h);
    // an empty list removes the record and the helper's RunOnce value. False when the list was
    // not stored (or, for an empty list, the record not removed).
    virtual bool Store(const std::wstring& waitingList, const std::wstring& beginCounts) = 0;
    // The helper copied into its protected folder (once per run) and named in RunOnce, so that
    // the next logon after an interruption resumes. Empty when done; otherwise what failed.
    virtual std::wstring RegisterLogonResume() = 0;
    // RunOnce no longer names the helper: a run the user stopped resumes only when started again.
    virtual void UnregisterLogonResume() = 0;
};

}  // namespace tavelin
