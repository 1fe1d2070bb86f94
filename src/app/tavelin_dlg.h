// The main dialog: the owner of all state of a run (disc paths, machine facts, diagnostic switches,
// vendor libraries, catalogue, texts, list) and of the fixed startup sequence that ends either in
// the item list or in the one quit path. What it finds, decides and shows goes into the run log.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/catalogue.h"
#include "config/config_file.h"
#include "config/diagnostics.h"
#include "config/run_options.h"
#include "controls/transparent_static.h"
#include "controls/xlist_ctrl.h"
#include "evaluate/evaluation_sequence.h"
#include "app/run_ui.h"
#include "install/install_worker_win.h"
#include "install/restart_record.h"
#include "install/run_fingerprints.h"
#include "install/run_end.h"
#include "platform/handles.h"
#include "base/machine_facts.h"
#include "probe/pending_restart.h"
#include "probe/vendor_libraries_win.h"
#include "report/fleet_report.h"
#include "runlog/logged_message_sink.h"
#include "runlog/run_log.h"
#include "ui/dialog_base.h"
#include "ui/message_box_win.h"
#include "ui/ui_texts.h"

class CTavelinDlg : public tavelin::DialogBase {
public:
    CTavelinDlg(HINSTANCE instance, std::shared_ptr<tavelin::RunLog> log,
                tavelin::RunOptions options = tavelin::RunOptions());
    ~CTavelinDlg() override;

    // The program's exit code once the dialog has ended (install/exit_code.h).
    int ExitCode() const { return m_nExitCode; }
    // /report FILE, once the dialog has ended: what the program found, decided and did, with the
    // exit code it ends with (fleet_report_run.cpp).
    void WriteReport(int exitCode);

protected:
    BOOL OnInitDialog() override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnDestroy() override;
    // Escape and the close box: while a run goes on, asks, and closes only after the current item.
    void OnCancel() override;

private:
    // Startup, in the order OnInitDialog runs it.
    void AttachControls();
    void AddAboutMenuItem();
    void SetMainIcon();
    void ResetDialogState();
    void ParseDiagnosticSwitches();
    void LocateDisc();
    void IdentifyOperatingSystem();
    bool LoadVendorLibraries();
    bool LoadLanguageLibrary();
    void LoadUiTexts();
    bool ApplyDiscTitle();  // false when the catalogue could not be held in memory
    void ApplySkin();
    void ApplyButtonCaptions();
    bool ReadModel();
    bool CheckMachineModel();
    std::wstring CheckOperatingSystem();
    void LoadCatalogue();
    // The evaluation passes over the loaded catalogue; a re-scan leaves out the hardware rule.
    void EvaluateItems(tavelin::EvaluationRun run);
    // Each item as the evaluation left it, into the log: after every evaluation, at startup and
    // at the re-scan alike.
    void LogItemDecisions(tavelin::EvaluationRun run);
    // Both, with an allocation failure turned into false and an empty item list.
    bool LoadAndEvaluateCatalogue(tavelin::EvaluationRun run);
    static const wchar_t kCatalogueTooLargeMessage[];
    void SetupItemList();
    void PopulateItemList();
    // Unloads the vendor libraries, posts the quit message and makes initialisation return false;
    // the log says why.
    BOOL QuitStartup(const std::wstring& reason);
    // A refusal the user is shown: the text goes into the log and into a message box, then the
    // startup ends.
    BOOL RefuseStartup(const std::wstring& text);

    // Unattended use (unattended_run.cpp): what /items asks checked instead of the default
    // selection (false, the program ending with the bad-switch code, when it names an item that
    // is not listed); and the end of an unattended run with its exit code.
    bool ApplyItemChoice();
    // Ends the program with the exit code; the log says why. Not only for unattended runs: every
    // end that is decided rather than asked for goes this way.
    void EndUnattended(int exitCode, const std::wstring& reason);
    bool Unattended() const { return m_options.Unattended(); }
    // What the restart record keeps of this run so that the run after the restart goes on alike;
    // nothing for a run in the window.
    std::optional<tavelin::UnattendedResume> UnattendedResume() const;
    // The stored run was unattended: this start goes on in its mode and appends to its log file.
    void ResumeUnattended(const tavelin::UnattendedResume& stored);

    // /scan and /report (fleet_report_run.cpp). The scan ends the startup: the list stays for the
    // window, Start stays off, and an unattended scan ends at once with its exit code (false).
    bool FinishScan();
    // What the list shows and has checked now, kept for the report; taken when the list is filled
    // and again when a run starts, so that a re-scan after the run does not change it.
    void TakeReportSnapshot();
    // The run's results per item, for the report.
    void NoteRunResults(const tavelin::RunOutcome& outcome);
    // The restore point's settings for the next run.
    tavelin::RestorePointPolicy RestorePointPolicyOfRun() const;

    // Commands and notifications (dialog_commands.cpp).
    bool HandleCommand(WORD id);
    bool HandleNotify(const NMHDR* notify, LRESULT& result);
    bool OnSysCommand(WPARAM command);
    void OnDefault();
    void OnAdvance();
    void OnExplorer();
    void OnFileList();
    void OnTechSupport();
    void OnListClick();
    void ShowSelectedDescription();
    void ApplyDependences();
    int SelectedRow() const;

    // The installation run, restart and resume (installation_commands.cpp).
    void OnStart();
    void OnProgressTimer();
    void OnInternalMessage(WPARAM code);
    // The worker's own end of a run.
    void OnRunEnded(const tavelin::RunOutcome& outcome);
    void OnInstallationComplete();
    void Rescan();
    void AskReboot();
    void RestartAndResume();
    // The restart record of m_strWaitingList, with the helper registered to run after the restart.
    tavelin::RestartStep StoreResume();
    // What the end of a run comes to, for this start's state and mode (install/run_end.h).
    tavelin::RunEndPlan PlanEnd(tavelin::RunStop stop, bool itemsLeft) const;
    // An unattended run with nothing left: Windows restarts now; the program ends either way.
    void RestartUnattended(const tavelin::RunEndPlan& plan);
    // The stored waiting list, read once per start, before the first population.
    void ReadWaitingListOnce();
    // False, with the resume dropped and the reason said, when the stored run began with another
    // catalogue than the disc's now.
    bool ResumeMatchesCatalogue(const tavelin::StoredWaitingList& stored);
    // The record waits for a restart that has not happened: nothing is resumed, and the program
    // ends, after offering the restart in the window.
    void HoldForRestart();
    // The record is another disc's: true when this start resumes it all the same (the user said so).
    bool ResumeOtherDisc(const std::wstring& waitingList);
    std::vector<std::wstring> TitlesOf(const std::wstring& waitingList) const;

    // The end of the Windows session during a run (session_end_commands.cpp).
    void OnQueryEndSession(LPARAM reasons);
    void OnEndSession(bool ending, LPARAM reasons);

    void UnloadVendorLibraries();
    // A message box with OK; the text goes into the log too.
    void ShowMessage(const std::wstring& text);
    // A Yes/No application message box; the question and the answer go into the log. An
    // unattended run asks nothing and takes `unattendedAnswer`.
    bool AskYesNo(const std::wstring& question, UINT icon, bool unattendedAnswer);
    tavelin::RunLog& Log() const { return *m_log; }
    void SetCaption(const std::wstring& caption);
    // Default, Start and Advance: disabled together for a run, enabled together afterwards.
    void EnableRunButtons(bool enable);

    // How the program was started, and the exit code it ends with.
    tavelin::RunOptions m_options;
    int m_nExitCode = 0;
    bool m_bAnyItemFailed = false;  // over every run of this start
    // An installed item asked for a restart that has not been made, over every run of this start.
    bool m_bRestartNeeded = false;
    bool m_bAnyRunEnded = false;
    // The program's end is decided (EndUnattended): the startup goes no further.
    bool m_bEnding = false;
    // This disc's identity for the restart record (install/disc_identity.h); empty when unknown.
    std::wstring m_strDiscIdentity;

    // Window state.
    HICON m_hIcon;
    tavelin::CXListCtrl m_list;                // the item list, control 1007
    tavelin::CTransparentStatic m_description;  // the description line, control 1010
    tavelin::UniqueImageList m_headerImages;    // check-box images of the list's header
    tavelin::UniqueGdiObject m_hSkinBitmap;  // background picture of the skin; empty when none
    HWND m_hMainWindow = nullptr;  // copy of the dialog's own window, kept at reset
    std::wstring m_strCaption;

    // Disc location.
    std::wstring m_strDiscRoot;  // folder of the running program, no trailing backslash
    std::wstring m_strWindowsDir;
    std::wstring m_strSystemDir;
    std::wstring m_strIniPath;
    std::unique_ptr<tavelin::ConfigFile> m_config;  // TAVELIN.INI, parsed once

    // Machine facts and the disc's names for them.
    tavelin::MachineFacts m_machine;  // m_szOSKey, m_b64Bit, m_szLanguageCode
    // Read once at startup: work Windows already waits to finish at its next start.
    tavelin::PendingRestartSigns m_pendingRestart;
    std::wstring m_szOSDisplayName;
    std::wstring m_szLanguageTag;
    std::wstring m_strMachineModel;  // upper-cased model for the model checks
    std::wstring m_strBiosModel;     // the model name as read

    // Catalogue and run state.
    tavelin::ItemList m_pItemList;  // items in file order, identified by their number n
    int m_nItemQuantity = 0;
    // Why each item is offered, greyed or left out, from the last evaluation; and the item sections
    // the last load dropped.
    tavelin::DecisionBook m_decisions;
    std::vector<tavelin::DroppedItem> m_droppedItems;
    int m_nDiscWaitTime = 0;
    std::uint32_t m_nDiscInstallTimeout = 0;  // seconds, 0 for none ("Install_Timeout" of [Driver_CD])
    bool m_bAdvancedView = false;
    bool m_bLanguageLibraryLoaded = false;
    bool m_bRescanRequested = false;
    // The stored waiting list of this start and how to go on with it. The mode ends once a run
    // has started: later populations check the usual rows and Start asks again.
    tavelin::ResumeMode m_resumeMode = tavelin::ResumeMode::None;
    std::vector<std::wstring> m_waitingNumbers;
    tavelin::BeginCounts m_beginCounts;  // how often the stored run's items were begun
    // The user kept another disc's record for its disc: this start's runs do not overwrite it.
    bool m_bOtherDiscRecordKept = false;
    // The program and the catalogue as this start found them; a restart record keeps them.
    tavelin::RunFingerprints m_runFingerprints;
    // Why a stored run was not resumed; an unattended start then ends with it.
    std::wstring m_resumeRefusal;
    bool m_bWaitingListRead = false;
    HANDLE m_hInstallThread = nullptr;
    std::wstring m_strWaitingList;
    // Run state, user-interface thread only. A run is active from the worker's start until its own
    // end message is handled; codes posted meanwhile wait in m_deferredCodes.
    bool m_bRunActive = false;
    bool m_bCloseWhenRunEnds = false;
    std::vector<WPARAM> m_deferredCodes;

    tavelin::VendorLibraries m_vendor;  // DMI, ENUM, USB and language library records
    tavelin::DiagnosticSwitches m_switches;
    // For the report: the entries as last taken, the refusal when the disc refused the machine, and
    // what every run of this start did with each item.
    std::vector<tavelin::ReportItem> m_reportItems;
    std::wstring m_strRefusal;
    std::map<std::int32_t, tavelin::ItemRunResult> m_runResults;
    // The run's view of the list, and the worker. Declared after the list, so that the worker is
    // gone before the list it reports to.
    std::unique_ptr<RunUi> m_runUi;
    tavelin::InstallWorker m_worker;
    tavelin::UiTexts m_texts;
    // Never null; shared with the installation run. Declared before the sinks that write to it.
    std::shared_ptr<tavelin::RunLog> m_log;
    tavelin::WindowMessageSink m_windowMessages;
    // What portable code shows, into the log and onto the screen.
    tavelin::LoggedMessageSink m_messages;
};
