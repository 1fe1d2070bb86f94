// The Start decision, the worker's run over the checked rows, and the progress animation, as
// functions over the list and the run services, so that the same steps run in the program and in
// tests.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "config/catalogue.h"
#include "config/diagnostics.h"
#include "install/install_list.h"
#include "install/restore_point.h"
#include "install/installer_supervision.h"
#include "install/restart_record.h"
#include "install/resume_loop.h"
#include "install/run_record.h"
#include "install/run_services.h"
#include "install/session_end.h"
#include "runlog/run_log.h"

namespace tavelin {

// UM_INTERNAL (WM_USER+1) is posted to the dialog with one of these codes in wParam and 0 in lParam.
constexpr unsigned kUmInternal = 0x0400 + 1;
constexpr int WM_DEPENDENCE_CHANGED = 1026;
constexpr int WM_LIST_REFRESH = 1027;
constexpr int WM_INSTALLATION_COMPLETE = 1028;
constexpr int WM_INSTALLATION_RESTART = 1029;

constexpr wchar_t kInstallMarkerValueName[] = L"alu7501e157-4b4a-4850-b6ea-3bea55826ba9";
constexpr std::size_t kMaxMarkerVersionLength = 159;
constexpr unsigned kWaitSliceMs = 1000;
constexpr unsigned kPauseAfterUninstallMs = 3000;
constexpr unsigned kPauseBetweenItemsMs = 1000;

enum class StartDecision {
    NothingChecked,  // rows enabled again; the dialog shows "Please choose one of item to install"
    Declined,        // rows enabled again, nothing else changes
    StartWorker,     // rows stay disabled; the dialog disables Default, Start and Advance and starts the worker
};
const wchar_t* StartDecisionName(StartDecision decision);

// Disables every row, then decides. confirmInstall asks "Install now?" and is not called in resume
// mode or when no row is checked.
StartDecision DecideStart(InstallList& list, bool resumeMode, const std::function<bool()>& confirmInstall);

// Gives every row back to the user, as a declined start does.
void EnableAllRows(InstallList& list);

// The user-interface texts the run writes into the status cell.
struct RunTexts {
    std::wstring installing;  // "Installing"
    std::wstring done;        // "Done"
    std::wstring failed;      // "Failed"
    // The bar's caption while another installation holds Windows Installer.
    std::wstring waiting = L"Waiting for another installation";
};

struct RunServices {
    InstallList& list;
    ProcessLauncher& launcher;
    Sleeper& sleeper;
    ProgressTimer& timer;
    ProgressState& progress;
    InstallMarkerWriter& marker;
    DescriptionText& description;
    MessageSink& sink;
    // Each item's command lines, working folder, start, end and exit code, and the row's result.
    RunLog& log;
    WindowsInstallerState& windowsInstaller;
};

// How a run ended besides its code.
enum class RunStop {
    None,           // every checked row was run (or a restart item ended the run)
    OnRequest,      // the user asked to stop: the run ended after the item that was running
    ByError,        // an error (out of memory) ended the run; the current row shows "Failed"
    DiscMissing,    // the disc was not there before an item and nobody put it back: that item
                    // and the rest were not run (install/disc_presence.h)
    SessionEnded,   // Windows ends the session: the run stopped between items, the rest (an item
                    // the end cut off included) stays in the restart record
};
const wchar_t* RunStopName(RunStop stop);

// Recorded as the run goes, so that a run ended by an error still hands over what it decided.
struct RunOutcome {
    int code = WM_INSTALLATION_COMPLETE;  // or WM_INSTALLATION_RESTART
    bool m_bRescanRequested = false;      // an installed item asked for a re-scan; never cleared here
    std::wstring m_strWaitingList;        // item numbers still to install, "4@7@12"; restart only
    RunStop stop = RunStop::None;
    // Stopped runs: the checked items not run, "4@7@12"; after the end of the session, the item
    // it cut off first.
    std::wstring notRun;
    // Stopped on request, for the disc or by the session's end: notRun is in the record.
    bool notRunStored = false;
    // A row of the run ended "Failed": its installer could not be started or waited for, its exit
    // code is not one the disc calls success, or an error ended the run during it.
    bool anyFailed = false;
    // Each item the run began, in run order: its number and whether its row ended "Done".
    std::vector<std::pair<std::int32_t, bool>> itemResults;
};

// What the run is steered by besides its services. All are optional.
struct RunControl {
    // Kept by every run: before each item's installer starts it holds that item and the checked
    // items below it with their begin counts, and the restart helper is registered for the next
    // logon; after each item it holds the items below it, and it goes when none is left. Written
    // with the rest when the user stops (the helper's registration then goes). A failure to write it
    // is logged and the run goes on. Null keeps no record.
    RunRecord* record = nullptr;
    // The run goes on with a stored waiting list: it counts the begins of its items on from the
    // stored counts, and does not begin an item resumed too often (install/resume_loop.h).
    bool resumedRun = false;
    BeginCounts beginCounts;
    // Set by the user-interface thread when Windows ends the session; read by the run between items.
    const std::atomic<SessionEnd>* sessionEnd = nullptr;
    // Set while an item's commands run, cleared after.
    ShutdownReason* shutdownReason = nullptr;
    // Set by the user-interface thread; read by the run between items.
    const std::atomic<bool>* stopRequested = nullptr;
    // Asked before each item's commands run: makes the run's restore point before its first
    // driver or hotfix.
    RestorePointStep* restorePoint = nullptr;
    // The disc's default time limit and /timeout; each item's own Install_Timeout is in its record.
    RunTimeLimits timeLimits;
    // Looked at before each item; when the disc is gone the question asks for it (null: unattended,
    // the run stops at once), and a run that cannot go on stores the item and the rest in `record`.
    DiscWatch* disc = nullptr;
    InsertDiscQuestion* insertDisc = nullptr;
    // Read once an installer's own process has ended while others it started go on: a process
    // running a program registered here is left running (install/left_running.h). Null: every
    // process an installer starts is waited for.
    LogonPrograms* logonPrograms = nullptr;
};

// The worker's run: the checked rows top to bottom (the row count is read again before each row),
// each item's uninstall (when installed) and install, the pauses, the status cell, the marker, and
// the end of the run. The catalogue is only read. Shows "Post WM_INSTALLATION_COMPLETE" under the
// ShowErrorMessage switch before a normal end; the caller posts the outcome's code. An item is
// "Done" only when its installer was seen to end; an installer that cannot be waited for is
// "Failed". An item with exit-code keys has its installer's code judged (JudgeInstallerExit): a
// code that is not a success code makes the row "Failed", a restart code acts as the item's
// "Restart" flag. Each command waits first while another installation holds Windows Installer,
// and again after it ended; an installer still running when its time limit (ChooseTimeLimit) passes
// has its processes ended and its row "Failed", and so has one whose wait for Windows Installer
// outlasts its bound (BusyWaitBoundOf). An exception ends the run as RunStop::ByError with the
// outcome recorded so far. The log gets the run's beginning and end and, for each item, its
// command lines, working folder, time limit, exit codes, a report each minute while an installer
// runs or waits, and the result.
RunOutcome RunInstallation(const ItemList& items, const std::wstring& discRoot, const RunTexts& texts,
                           const DiagnosticSwitches& switches, const RunServices& services,
                           const RunControl& control = RunControl{});

// How a run ended, in a line of the log: "complete", "restart, waiting 4@7", ...
std::wstring RunOutcomeText(const RunOutcome& outcome);

// "exit code 1"; large codes, which are mostly status codes, also in hexadecimal:
// "exit code 3221225477 (0xC0000005)"; "exit code unknown" when it could not be read.
std::wstring ExitCodeText(std::optional<std::uint32_t> code);

// "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\" and the GUID.
std::wstring UninstallKeyPathOf(const std::wstring& guid);

// One tick of timer 1: 99 or more wraps to 0, anything else moves on by one.
int NextProgressPosition(int position);
// The timer handler's work: advances the shared position and shows it in the current row.
void AdvanceProgress(ProgressState& progress, InstallList& list);

}  // namespace tavelin
