#include "install/install_worker_win.h"

#include <atomic>
#include <functional>
#include <utility>

#include "install/disc_watch_win.h"
#include "install/install_marker_win.h"
#include "install/kept_run_record.h"
#include "install/logged_restart_record.h"
#include "install/logon_programs_win.h"
#include "install/process_launcher_win.h"
#include "install/restart_record_win.h"
#include "install/restore_point_win.h"
#include "install/windows_installer_win.h"
#include "platform/application_message_box_win.h"
#include "platform/shutdown_block_reason_win.h"
#include "runlog/logged_message_sink.h"

namespace tavelin {

struct InstallWorker::RunContext {
    ItemList items;  // the dialog's catalogue as it was at Start
    InstallRunSettings settings;
    HWND dialog = nullptr;
    HWND bridge = nullptr;
    ProgressState progress;
    RunOutcome outcome;                    // written by the worker before its final post
    std::atomic<bool> outcomeReady{false};  // released after outcome is written
    bool outcomeTaken = false;              // user-interface thread only
    std::atomic<bool> stopRequested{false};  // set by the user-interface thread, read by the run
    std::atomic<SessionEnd> sessionEnd{SessionEnd::None};  // likewise
};

namespace {

constexpr wchar_t kBridgeClassName[] = L"TavelinInstallBridge";

using UiCall = std::function<void(InstallRunUi&)>;

// A registered message, so that no other window ever takes its parameter for a pointer.
UINT BridgeCallMessage() {
    static const UINT message = RegisterWindowMessageW(L"TavelinInstallBridgeCall");
    return message;
}

LRESULT CALLBACK BridgeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == BridgeCallMessage() && message != 0) {
        auto* ui = reinterpret_cast<InstallRunUi*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        const auto* call = reinterpret_cast<const UiCall*>(lParam);
        if (ui == nullptr || call == nullptr) return 0;
        (*call)(*ui);
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Runs call on the user-interface thread and returns when it is done; false when the dialog is gone.
bool CallOnUiThread(HWND bridge, const UiCall& call) {
    return SendMessageW(bridge, BridgeCallMessage(), 0, reinterpret_cast<LPARAM>(&call)) == 1;
}

// The dialog's list as the worker sees it. When the dialog is gone, the list reads as empty and
// unchecked, which ends the run after the current row.
class BridgedList : public InstallList {
public:
    explicit BridgedList(HWND bridge) : m_bridge(bridge) {}

    int RowCount() override {
        int count = 0;
        CallOnUiThread(m_bridge, [&](InstallRunUi& ui) { count = ui.RunList().RowCount(); });
        return count;
    }
    int GetRowCheck(int row) override {
        int check = 0;
        CallOnUiThread(m_bridge, [&](InstallRunUi& ui) { check = ui.RunList().GetRowCheck(row); });
        return check;
    }
    void SetRowEnabled(int row, bool enabled) override {
        CallOnUiThread(m_bridge, [&](InstallRunUi& ui) { ui.RunList().SetRowEnabled(row, enabled); });
    }
    void StartRowProgress(int row, const std::wstring& caption) override {
        CallOnUiThread(m_bridge, [&](InstallRunUi& ui) { ui.RunList().StartRowProgress(row, caption); });
    }
    void SetRowProgress(int row, int position) override {
        CallOnUiThread(m_bridge, [&](InstallRunUi& ui) { ui.RunList().SetRowProgress(row, position); });
    }
    void StopRowProgress(int row) override {
        CallOnUiThread(m_bridge, [&](InstallRunUi& ui) { ui.RunList().StopRowProgress(row); });
    }
    void SetCellText(int row, int column, const std::wstring& text) override {
        CallOnUiThread(m_bridge, [&](InstallRunUi& ui) { ui.RunList().SetCellText(row, column, text); });
    }
    void SetCellBold(int row, int column) override {
        CallOnUiThread(m_bridge, [&](InstallRunUi& ui) { ui.RunList().SetCellBold(row, column); });
    }

private:
    HWND m_bridge;
};

// The dialog's timer and description field. SetTimer and KillTimer only work for windows of the
// calling thread, so they run on the user-interface thread too.
class BridgedDialog : public ProgressTimer, public DescriptionText, public ShutdownReason {
public:
    BridgedDialog(HWND bridge, HWND dialog) : m_bridge(bridge), m_dialog(dialog) {}

    void StartProgressTimer() override {
        CallOnUiThread(m_bridge, [&](InstallRunUi&) { SetTimer(m_dialog, kProgressTimerId, kProgressTimerPeriodMs, nullptr); });
    }
    void StopProgressTimer() override {
        CallOnUiThread(m_bridge, [&](InstallRunUi&) { KillTimer(m_dialog, kProgressTimerId); });
    }
    void SetDescription(const std::wstring& text) override {
        CallOnUiThread(m_bridge, [&](InstallRunUi& ui) { ui.SetDescription(text); });
    }
    // Only the thread that made the window may give its reason.
    void Set(const std::wstring& reason) override {
        CallOnUiThread(m_bridge, [&](InstallRunUi&) { SetShutdownBlockReason(m_dialog, reason); });
    }
    void Clear() override {
        CallOnUiThread(m_bridge, [&](InstallRunUi&) { ClearShutdownBlockReason(m_dialog); });
    }

private:
    HWND m_bridge;
    HWND m_dialog;
};

// The question for the disc, a box owned by the dialog and shown on its thread, so that the
// window cannot be used while it is open; a dialog that is gone answers Cancel.
class BridgedInsertDiscQuestion : public InsertDiscQuestion {
public:
    BridgedInsertDiscQuestion(HWND bridge, HWND dialog, const std::wstring& text, const std::wstring& title)
        : m_bridge(bridge), m_dialog(dialog), m_text(text), m_title(title) {}
    InsertDiscAnswer AskToInsertDisc() override {
        int answer = IDCANCEL;
        CallOnUiThread(m_bridge, [&](InstallRunUi&) {
            answer = ShowApplicationMessageBox(m_dialog, m_text, m_title, MB_RETRYCANCEL | MB_ICONWARNING);
        });
        return answer == IDRETRY ? InsertDiscAnswer::Retry : InsertDiscAnswer::Cancel;
    }

private:
    HWND m_bridge;
    HWND m_dialog;
    const std::wstring& m_text;
    const std::wstring& m_title;
};

class WorkerMessageSink : public MessageSink {
public:
    explicit WorkerMessageSink(const std::wstring& title) : m_title(title) {}
    void ShowMessage(const std::wstring& text) override { ShowApplicationMessageBox(nullptr, text, m_title, MB_OK); }

private:
    const std::wstring& m_title;
};

DWORD WINAPI InstallThreadProc(LPVOID parameter) {
    auto* handedOver = static_cast<std::shared_ptr<InstallWorker::RunContext>*>(parameter);
    const std::shared_ptr<InstallWorker::RunContext> context = std::move(*handedOver);
    delete handedOver;

    BridgedList list(context->bridge);
    BridgedDialog dialog(context->bridge, context->dialog);
    Win32ProcessLauncher launcher;
    Win32Sleeper sleeper;
    Win32InstallMarkerWriter marker;
    RunLog noLog;
    RunLog& log = context->settings.log ? *context->settings.log : noLog;
    WorkerMessageSink box(context->settings.messageTitle);
    LoggedMessageSink sink(log, box);
    Win32WindowsInstallerState windowsInstaller;
    const RunServices services{list,   launcher, sleeper, dialog, context->progress, marker,
                               dialog, sink,     log,     windowsInstaller};
    Win32RestartSystem windowsSystem;
    windowsSystem.SetFingerprints(context->settings.fingerprints);
    LoggedRestartSystem system(windowsSystem, log);
    KeptRunRecord record(system, RunRecordDetails{context->settings.discRoot, context->settings.unattended,
                                                  context->settings.discIdentity});
    RunControl control;
    if (context->settings.keepRestartRecord) control.record = &record;
    control.resumedRun = context->settings.resumedRun;
    control.beginCounts = context->settings.beginCounts;
    control.sessionEnd = &context->sessionEnd;
    control.shutdownReason = &dialog;
    Win32RestorePointService systemRestore;
    RestorePointStep restorePoint(systemRestore, log, context->settings.discTitle, context->settings.restorePoint);
    control.restorePoint = &restorePoint;
    control.stopRequested = &context->stopRequested;
    control.timeLimits = context->settings.timeLimits;
    Win32LogonPrograms logonPrograms;
    control.logonPrograms = &logonPrograms;
    Win32DiscWatch disc(context->settings.discRoot, context->settings.discIdentity);
    BridgedInsertDiscQuestion insertDisc(context->bridge, context->dialog, context->settings.insertDiscQuestion,
                                         context->settings.messageTitle);
    control.disc = &disc;
    if (!context->settings.insertDiscQuestion.empty()) control.insertDisc = &insertDisc;

    RunOutcome outcome;
    try {
        // The run records its own errors; this catches what escapes before it begins.
        outcome = RunInstallation(context->items, context->settings.discRoot, context->settings.texts,
                                  context->settings.switches, services, control);
    } catch (...) {
        outcome = RunOutcome{};
        outcome.stop = RunStop::ByError;
        log.Write(L"Installation run stopped by an error before it began");
    }
    context->outcome = std::move(outcome);
    context->outcomeReady.store(true, std::memory_order_release);
    PostMessageW(context->dialog, kUmInternal, static_cast<WPARAM>(context->outcome.code), 0);
    return 0;
}

ItemList CopyOf(const ItemList& items) {
    ItemList copy;
    copy.reserve(items.size());
    for (const auto& item : items) copy.push_back(std::make_unique<CItem>(*item));
    return copy;
}

}  // namespace

HANDLE StartThread(LPTHREAD_START_ROUTINE procedure, void* parameter) {
    return CreateThread(nullptr, 0, procedure, parameter, 0, nullptr);
}

InstallWorker::InstallWorker(ThreadStarter startThread) : m_startThread(startThread) {}

InstallWorker::~InstallWorker() { Detach(); }

void InstallWorker::EnsureBridge() {
    if (m_bridge != nullptr) return;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = BridgeWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kBridgeClassName;
    RegisterClassW(&windowClass);  // fails harmlessly when an earlier worker registered it
    m_bridge = CreateWindowExW(0, kBridgeClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
}

bool InstallWorker::Start(HWND dialog, InstallRunUi& ui, const ItemList& items, InstallRunSettings settings) {
    if (IsRunning()) return false;
    m_thread.Reset();

    EnsureBridge();
    if (m_bridge == nullptr) return false;
    SetWindowLongPtrW(m_bridge, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&ui));

    auto context = std::make_shared<RunContext>();
    context->items = CopyOf(items);
    context->settings = std::move(settings);
    context->dialog = dialog;
    context->bridge = m_bridge;

    auto* handedOver = new std::shared_ptr<RunContext>(context);
    HANDLE thread = m_startThread(InstallThreadProc, handedOver);
    if (thread == nullptr) {
        delete handedOver;
        return false;
    }
    m_context = std::move(context);
    m_thread.Reset(thread);
    return true;
}

void InstallWorker::OnProgressTimer(InstallList& list) {
    if (m_context) AdvanceProgress(m_context->progress, list);
}

bool InstallWorker::IsRunning() const {
    return m_thread.Valid() && WaitForSingleObject(m_thread.Get(), 0) == WAIT_TIMEOUT;
}

void InstallWorker::RequestStop() {
    if (m_context) m_context->stopRequested.store(true);
}

void InstallWorker::NoteSessionEnd(SessionEnd state) {
    if (m_context) m_context->sessionEnd.store(state);
}

bool InstallWorker::TakeFinishedOutcome(RunOutcome& outcome) {
    if (!m_context || m_context->outcomeTaken || !m_context->outcomeReady.load(std::memory_order_acquire)) {
        return false;
    }
    m_context->outcomeTaken = true;
    outcome = m_context->outcome;
    return true;
}

void InstallWorker::Forget() { m_thread.Reset(); }

void InstallWorker::Detach() {
    if (m_bridge != nullptr) {
        DestroyWindow(m_bridge);
        m_bridge = nullptr;
    }
}

}  // namespace tavelin
