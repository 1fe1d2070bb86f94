// The startup sequence of the main dialog. The order of the steps is fixed: each later step relies
// on what the earlier ones found, and a machine the disc is not made for must be refused before
// anything of the catalogue is read.
#include <windows.h>

#include <cstdlib>
#include <new>

#include "app/tavelin_dlg.h"
#include "config/disc_checks.h"
#include "config/text.h"
#include "evaluate/decision_text.h"
#include "evaluate/evaluation_sequence.h"
#include "install/exit_code.h"
#include "install/run_fingerprints_win.h"
#include "platform/handles.h"
#include "platform/program_path_win.h"
#include "platform/registry_win.h"
#include "platform/system_folder_win.h"
#include "platform/text_encoding_win.h"
#include "probe/os_facts_text.h"
#include "probe/os_facts_win.h"
#include "probe/pending_restart_win.h"
#include "ui/resource.h"
#include "ui/skin.h"

namespace {

std::wstring FingerprintText(const std::optional<tavelin::Sha256Digest>& digest) {
    return digest ? tavelin::Sha256Text(*digest) : std::wstring(L"not readable");
}
const wchar_t kInitialCaption[] = L"Tave-LIN";
}  // namespace

const wchar_t CTavelinDlg::kCatalogueTooLargeMessage[] =
    L"Lib\\TAVELIN.INI could not be read: there is not enough memory for it.";

BOOL CTavelinDlg::OnInitDialog() {
    AttachControls();
    AddAboutMenuItem();
    SetMainIcon();
    ResetDialogState();
    if (m_options.mode == tavelin::RunMode::Quiet) KeepHidden();
    if (Unattended()) m_windowMessages.Silence();
    ParseDiagnosticSwitches();
    LocateDisc();

    IdentifyOperatingSystem();
    if (m_switches.m_bShowOS) ShowMessage(L"OS Version = \"" + m_machine.m_szOSKey + L"\"");

    if (!LoadVendorLibraries()) {
        if (m_switches.m_bShowErrorMessage) ShowMessage(L"Load DLL error");
        return QuitStartup(L"the hardware-query libraries did not load from " + m_strDiscRoot + L"\\Lib");
    }
    m_bLanguageLibraryLoaded = LoadLanguageLibrary();

    LoadUiTexts();
    if (!ApplyDiscTitle()) return RefuseStartup(kCatalogueTooLargeMessage);
    // Nobody sees a quiet run's window: its skin would only cost time (and could ask about itself).
    if (m_options.mode != tavelin::RunMode::Quiet) ApplySkin();
    ApplyButtonCaptions();

    if (!ReadModel()) {
        if (m_switches.m_bShowErrorMessage) ShowMessage(L"Read BIOS error");
        return QuitStartup(L"the model could not be read");
    }
    if (m_switches.m_bShowModel) ShowMessage(L"Model = \"" + m_strBiosModel + L"\"");

    if (!CheckMachineModel()) return RefuseStartup(m_texts.Get(IDS_NOT_SUITABLE_MACHINE));
    const std::wstring osRefusal = CheckOperatingSystem();
    if (m_switches.m_bShowOS) ShowMessage(L"OS Display Version = \"" + m_szOSDisplayName + L"\"");
    if (!osRefusal.empty()) return RefuseStartup(osRefusal);

    if (!LoadAndEvaluateCatalogue(tavelin::EvaluationRun::Startup)) return RefuseStartup(kCatalogueTooLargeMessage);
    SetupItemList();
    PopulateItemList();
    if (!m_resumeRefusal.empty() && Unattended()) return QuitStartup(m_resumeRefusal);
    // The stored record decided the program's end (it waits for a restart).
    if (m_bEnding) return FALSE;
    if (!ApplyItemChoice()) return FALSE;
    TakeReportSnapshot();
    if (m_options.scan) return FinishScan() ? TRUE : FALSE;
    // A resumed run has started already (the population starts it).
    if (Unattended() && !m_bRunActive && m_resumeMode == tavelin::ResumeMode::None) OnStart();
    return TRUE;
}

void CTavelinDlg::AttachControls() {
    m_list.Attach(Item(IDC_ITEM_LIST));
    m_description.Attach(Item(IDC_DESCRIPTION));
}

BOOL CTavelinDlg::QuitStartup(const std::wstring& reason) {
    // Nothing was installed because the program could not go on: a failure for whoever deployed it.
    if (m_nExitCode == tavelin::kExitSuccess) m_nExitCode = tavelin::kExitItemFailed;
    Log().Write(L"Startup ends without the list: " + reason);
    UnloadVendorLibraries();
    PostQuitMessage(0);
    return FALSE;
}

BOOL CTavelinDlg::RefuseStartup(const std::wstring& text) {
    Log().Write(L"Refused: " + text);
    m_strRefusal = text;
    m_nExitCode = tavelin::kExitRefused;
    m_windowMessages.ShowMessage(text);
    return QuitStartup(L"refused");
}

void CTavelinDlg::AddAboutMenuItem() {
    HMENU systemMenu = GetSystemMenu(Window(), FALSE);
    if (systemMenu == nullptr) return;
    const std::wstring about = tavelin::LoadStringText(Instance(), IDS_ABOUTBOX);
    if (about.empty()) return;
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
}

void CTavelinDlg::SetMainIcon() {
    SendMessageW(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
}

void CTavelinDlg::ResetDialogState() {
    // The library records start empty with the dialog; nothing is loaded before this step.
    m_machine = tavelin::MachineFacts();
    m_szOSDisplayName.clear();
    m_szLanguageTag.clear();
    m_strBiosModel.clear();
    m_pItemList.clear();
    m_nItemQuantity = 0;
    m_hMainWindow = Window();
    SetCaption(kInitialCaption);
    m_bAdvancedView = false;
    m_bLanguageLibraryLoaded = false;
    m_bRescanRequested = false;
    m_resumeMode = tavelin::ResumeMode::None;
    m_waitingNumbers.clear();
    m_bWaitingListRead = false;
    m_beginCounts.clear();
    m_bOtherDiscRecordKept = false;
    m_bRunActive = false;
    m_bCloseWhenRunEnds = false;
    m_deferredCodes.clear();
    m_hInstallThread = nullptr;
}

void CTavelinDlg::ParseDiagnosticSwitches() {
    // The C runtime's own split of the command line, argument 0 included.
    std::vector<std::wstring> arguments;
    for (int i = 0; i < __argc && __wargv != nullptr; ++i) {
        if (__wargv[i] != nullptr) arguments.emplace_back(__wargv[i]);
    }
    m_switches = tavelin::ParseDiagnosticSwitches(arguments);
    Log().Write(L"Diagnostic switches: " + tavelin::DiagnosticSwitchesText(m_switches));
}

void CTavelinDlg::LocateDisc() {
    std::wstring root = tavelin::RunningProgramPath();
    const auto lastBackslash = root.rfind(L'\\');
    if (!root.empty() && lastBackslash != std::wstring::npos) root.erase(lastBackslash);
    m_strDiscRoot = root;

    wchar_t folder[MAX_PATH + 1] = {};
    GetWindowsDirectoryW(folder, MAX_PATH + 1);
    m_strWindowsDir = folder;
    m_strSystemDir = tavelin::SystemFolderOfThe32BitProgram();

    m_strIniPath = m_strDiscRoot + L"\\Lib\\TAVELIN.INI";
    m_config = std::make_unique<tavelin::ConfigFile>(std::filesystem::path(m_strIniPath), tavelin::DecodeAnsiCodePage);
    SetCurrentDirectoryW(m_strDiscRoot.c_str());
    Log().Write(L"Disc: " + m_strDiscRoot);
    Log().Write(L"Catalogue: " + m_strIniPath);
    m_runFingerprints = tavelin::TakeRunFingerprints(m_strIniPath);
    Log().Write(L"SHA-256 of the program: " + FingerprintText(m_runFingerprints.program) + L", of the catalogue: " +
                FingerprintText(m_runFingerprints.catalogue));
    Log().Write(L"Windows folder: " + m_strWindowsDir + L", system folder: " + m_strSystemDir);
}

void CTavelinDlg::IdentifyOperatingSystem() {
    const tavelin::OsFacts facts = tavelin::GatherOsFacts();
    m_machine = tavelin::BuildMachineFacts(facts);
    Log().Write(L"Windows: " + tavelin::OsFactsText(facts));
    Log().Write(L"OS key: " + (m_machine.m_szOSKey.empty() ? std::wstring(L"none") : m_machine.m_szOSKey) +
                L", 64-bit Windows: " + (m_machine.m_b64Bit ? L"yes" : L"no") + L", user-interface language: " +
                m_machine.m_szLanguageCode);
    m_pendingRestart = tavelin::ReadPendingRestartSigns();
    Log().Write(L"Windows already waits for a restart: " + tavelin::PendingRestartText(m_pendingRestart));
}

bool CTavelinDlg::LoadVendorLibraries() {
    const bool loaded = m_vendor.Load(m_strDiscRoot, m_strSystemDir);
    if (!loaded) return false;
    Log().Write(L"Hardware-query libraries loaded from " + m_strDiscRoot + L"\\Lib");
    m_vendor.StartDeviceListing();
    return loaded;
}

bool CTavelinDlg::LoadLanguageLibrary() {
    const bool loaded = m_vendor.LoadLanguageLibrary(m_strDiscRoot, m_machine.m_szLanguageCode);
    Log().Write(L"Language library Lib\\" + m_machine.m_szLanguageCode + L".DLL: " +
                (loaded ? L"loaded" : L"not loaded, the built-in English texts are used"));
    return loaded;
}

void CTavelinDlg::LoadUiTexts() {
    m_texts.Load(m_bLanguageLibraryLoaded ? m_vendor.LanguageModule() : nullptr, Instance());
}

bool CTavelinDlg::ApplyDiscTitle() {
    // The first read of the catalogue parses the whole file: an allocation failure there is met as
    // the catalogue load's is, with the program's clear error instead of an exception leaving the
    // dialog procedure.
    try {
        SetCaption(tavelin::ReadDiscTitle(*m_config, m_machine.m_szLanguageCode));
    } catch (const std::bad_alloc&) {
        return false;
    }
    Log().Write(L"Disc title: " + m_strCaption);
    return true;
}

void CTavelinDlg::ApplySkin() {
    m_hSkinBitmap = tavelin::ApplySkinLayout(Window(), m_strDiscRoot, Log());
}

void CTavelinDlg::ApplyButtonCaptions() {
    struct Caption {
        int control;
        int text;
    };
    static const Caption kCaptions[] = {
        {IDC_DEFAULT, IDS_DEFAULT},   {IDC_ADVANCE, IDS_ADVANCE},     {IDC_START, IDS_START},
        {IDC_EXPLORER, IDS_EXPLORER}, {IDC_FILE_LIST, IDS_FILE_LIST}, {IDC_TECH_SUPPORT, IDS_TECH_SUPPORT},
    };
    for (const auto& c : kCaptions) SetWindowTextW(Item(c.control), m_texts.Get(c.text).c_str());
}

bool CTavelinDlg::ReadModel() {
    // The library's warning is the same box as ever (the disc's title as caption, the warning
    // icon), logged first.
    const std::optional<std::wstring> model = m_vendor.ReadModel([this](const std::wstring& text) {
        Log().Write(L"Message: " + text);
        if (!Unattended()) MessageBoxW(m_hMainWindow, text.c_str(), m_strCaption.c_str(), MB_OK | MB_ICONWARNING);
    });
    if (!model) return false;
    m_strBiosModel = *model;
    Log().Write(L"Model: \"" + m_strBiosModel + L"\"");
    return true;
}

bool CTavelinDlg::CheckMachineModel() {
    const tavelin::ModelCheck check = tavelin::CheckMachineModel(*m_config, m_strBiosModel);
    m_strMachineModel = check.machineModel;
    Log().Write(L"Model check: " + std::wstring(check.allowed ? L"a model the disc is for" : L"not a model the disc is for"));
    return check.allowed;
}

std::wstring CTavelinDlg::CheckOperatingSystem() {
    tavelin::OsCheck check = tavelin::CheckOperatingSystem(*m_config, m_machine, m_switches.m_bShowErrorMessage,
                                                           m_texts.Get(IDS_SUITABLE_OS), m_messages);
    m_szOSDisplayName = check.osDisplayName;
    Log().Write(L"Operating-system check: the disc's name for it \"" + m_szOSDisplayName + L"\", " +
                (check.errorText.empty() ? L"a system the disc is for" : L"not a system the disc is for"));
    return check.errorText;
}

void CTavelinDlg::LoadCatalogue() {
    tavelin::LoadedCatalogue loaded = tavelin::LoadCatalogue(*m_config, m_machine, m_strMachineModel);
    m_szLanguageTag = loaded.m_szLanguageTag;
    m_szOSDisplayName = loaded.m_szOSDisplayName;
    m_nDiscWaitTime = loaded.m_nDiscWaitTime;
    m_nDiscInstallTimeout = loaded.m_nDiscInstallTimeout;
    m_nItemQuantity = loaded.m_nItemQuantity;
    m_pItemList = std::move(loaded.m_pItemList);
    m_droppedItems = std::move(loaded.m_droppedItems);
    Log().Write(L"Catalogue loaded: " + std::to_wstring(m_pItemList.size()) + L" items (Item_Quantity " +
                std::to_wstring(m_nItemQuantity) + L"), language tag \"" + m_szLanguageTag +
                L"\", OS name \"" + m_szOSDisplayName + L"\", wait time " + std::to_wstring(m_nDiscWaitTime));
    if (m_nDiscInstallTimeout > 0) {
        Log().Write(L"Install_Timeout of the disc: " + std::to_wstring(m_nDiscInstallTimeout) + L" s for every item without its own");
    }
    const tavelin::ReasonTexts english;
    for (const tavelin::DroppedItem& dropped : m_droppedItems) {
        Log().Write(L"Item_" + std::to_wstring(dropped.itemNo) + L" not loaded. " +
                    tavelin::DroppedItemReason(dropped, english));
    }
}

void CTavelinDlg::EvaluateItems(tavelin::EvaluationRun run) {
    tavelin::Win32Registry registry;
    const tavelin::EvaluationInputs inputs{m_machine, m_szOSDisplayName, m_szLanguageTag, registry,
                                           m_vendor, m_switches, m_messages};
    m_decisions = tavelin::RunEvaluationPasses(m_pItemList, inputs, run);
    LogItemDecisions(run);
}

// After every evaluation, at startup and at each re-scan: each item's decision record, one entry
// of several lines per item.
void CTavelinDlg::LogItemDecisions(tavelin::EvaluationRun run) {
    Log().Write(run == tavelin::EvaluationRun::Startup ? L"Evaluation at startup:" : L"Evaluation at the re-scan:");
    for (const auto& item : m_pItemList) {
        const tavelin::DecisionRecord* decision = m_decisions.Find(item->m_nItemNo);
        if (decision == nullptr) continue;
        std::wstring entry;
        for (const std::wstring& line : tavelin::DecisionLogLines(*decision, item->m_strTitle)) {
            entry += (entry.empty() ? L"" : L"\n") + line;
        }
        Log().Write(entry);
    }
}

bool CTavelinDlg::LoadAndEvaluateCatalogue(tavelin::EvaluationRun run) {
    // The catalogue's bounds keep a real machine far from running out of memory; should it happen
    // all the same, the user gets a message instead of an exception leaving the dialog procedure,
    // which would end the program without a word.
    try {
        LoadCatalogue();
        EvaluateItems(run);
        return true;
    } catch (const std::bad_alloc&) {
        m_pItemList.clear();
        m_pItemList.shrink_to_fit();
        m_nItemQuantity = 0;
        m_decisions = {};
        m_droppedItems.clear();
        return false;
    }
}


void CTavelinDlg::UnloadVendorLibraries() {
    m_vendor.Unload();
}
