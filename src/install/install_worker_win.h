// The installation worker thread and what it shares with the dialog.
//
// Lifetime rule: everything the worker reads (a copy of the catalogue, the disc root, the texts,
// the switches, the run log, the progress counters, the outcome) lives in a run context that the worker thread
// co-owns, so closing the window during a run frees nothing the worker still uses. The worker
// never touches the dialog's objects: every list, description and timer operation is sent
// (SendMessage, so in order and synchronously) to a message-only window of this object, which
// runs it on the user-interface thread against the dialog. Detach() destroys that window; after
// it, the worker's calls and its final post fail harmlessly and it ends after its current installer.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "config/catalogue.h"
#include "config/diagnostics.h"
#include "install/install_list.h"
#include "install/installation_run.h"
#include "install/run_fingerprints.h"
#include "platform/handles.h"
#include "runlog/run_log.h"

namespace tavelin {

// Implemented by the dialog. Called on the user-interface thread only, while the dialog is alive.
class InstallRunUi {
public:
    virtual ~InstallRunUi() = default;
    virtual InstallList& RunList() = 0;
    virtual void SetDescription(const std::wstring& text) = 0;  // the description field, static 1010
};

struct InstallRunSettings {
    std::wstring discRoot;  // no trailing backslash
    RunTexts texts;         // "Installing", "Done", "Failed" from the user-interface texts
    DiagnosticSwitches switches;
    std::wstring messageTitle;  // caption of the message box the worker shows under ShowErrorMessage
    // Every run keeps the restart record (RunControl), unless a record of another disc is left in
    // place for its own disc.
    bool keepRestartRecord = true;
    // The run goes on with the stored waiting list, and the begin counts it stored.
    bool resumedRun = false;
    BeginCounts beginCounts;
    // What the record keeps of the run besides its items, as the restart path writes it.
    std::optional<UnattendedResume> unattended;
    RunFingerprints fingerprints;
    // The restore point before the run's first driver or hotfix: whether it is off, and the disc's
    // title that names it.
    RestorePointPolicy restorePoint;
    std::wstring discTitle;
    // What a record this run writes says its disc is (install/disc_identity.h); empty for none.
    std::wstring discIdentity;
    // The run log of this start, co-owned by the run so that it outlives a closed window; null
    // runs without one.
    std::shared_ptr<RunLog> log;
    // The disc's default time limit for installers and /timeout (the items carry their own).
    RunTimeLimits timeLimits;
    // What the window asks (Retry / Cancel) when the disc is gone before an item; empty in an
    // unattended run, which asks nobody and stops.
    std::wstring insertDiscQuestion;
};

// The timer the worker starts and stops on the dialog, and the period of its ticks.
constexpr UINT_PTR kProgressTimerId = 1;
constexpr UINT kProgressTimerPeriodMs = 500;

// Creates the run's thread; null when it could not. A seam: tests start the worker with one that
// fails, as CreateThread does when the process is out of memory or threads.
using ThreadStarter = HANDLE (*)(LPTHREAD_START_ROUTINE procedure, void* parameter);
HANDLE StartThread(LPTHREAD_START_ROUTINE procedure, void* parameter);

class InstallWorker {
public:
    explicit InstallWorker(ThreadStarter startThread = StartThread);
    ~InstallWorker();
    InstallWorker(const InstallWorker&) = delete;
    InstallWorker& operator=(const InstallWorker&) = delete;

    // On the user-interface thread, after the Start decision said to start. Refused (false) while
    // an earlier run's thread is alive: a worker is never killed, it may hold the heap's lock. The
    // catalogue is copied; the dialog may free or reload its own afterwards. The run ends by
    // posting UM_INTERNAL with WM_INSTALLATION_COMPLETE or WM_INSTALLATION_RESTART to dialog.
    // False when the thread could not be created.
    bool Start(HWND dialog, InstallRunUi& ui, const ItemList& items, InstallRunSettings settings);

    // Whether a run's thread is still alive.
    bool IsRunning() const;
    // Asks the run to end after the item it is running; the rest goes into the restart record.
    void RequestStop();
    // What the dialog heard of the end of the Windows session; the run starts no installer while
    // the session may end (install/session_end.h).
    void NoteSessionEnd(SessionEnd state);
    // True once for each run, when its outcome is ready: the post that announced it is the run's
    // own end, not a code posted by someone else.
    bool TakeFinishedOutcome(RunOutcome& outcome);

    // The handler of timer 1: advances the bar of the row being installed.
    void OnProgressTimer(InstallList& list);

    // The re-scan forgets the worker of the last run (its handle is closed; the thread is not stopped).
    void Forget();
    bool HasThread() const { return m_thread.Valid(); }
    HANDLE ThreadHandle() const { return m_thread.Get(); }

    // When the dialog's window is destroyed: cuts every path from the worker to the dialog.
    void Detach();

    struct RunContext;

private:
    void EnsureBridge();

    ThreadStarter m_startThread;
    std::shared_ptr<RunContext> m_context;
    UniqueHandle m_thread;
    HWND m_bridge = nullptr;
};

}  // namespace tavelin
