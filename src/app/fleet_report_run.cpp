// /scan and /report in the dialog: the scan's end, the entries the report keeps as the list and
// the runs change, the restore point's settings of a run, and the report file itself.
#include <windows.h>

#include "app/tavelin_dlg.h"
#include "install/exit_code.h"
#include "install/restore_point.h"
#include "report/report_json.h"
#include "report/report_page.h"
#include "ui/module_version.h"
#include "ui/resource.h"

namespace {

std::wstring LocalTimeText() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    wchar_t text[32] = {};
    swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
             now.wSecond);
    return text;
}

// The whole file anew; false when it could not be written whole.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    tavelin::UniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace

void CTavelinDlg::TakeReportSnapshot() {
    if (m_options.reportFile.empty() && !m_options.scan) return;
    const tavelin::ItemTypeTexts typeTexts{m_texts.Get(IDS_DRIVER), m_texts.Get(IDS_RECOMMEND_APPLICATION),
                                           m_texts.Get(IDS_OPTIONAL_APPLICATION), m_texts.Get(IDS_HOTFIX)};
    std::set<std::int32_t> checked;
    for (const auto& item : m_pItemList) {
        if (item->m_nListRow >= 0 && m_list.GetRowCheck(item->m_nListRow) == tavelin::CHECK_ON) {
            checked.insert(item->m_nItemNo);
        }
    }
    const tavelin::ReportSource source{
        m_pItemList, m_decisions, m_droppedItems,
        [this](std::int32_t itemNo) {
            return m_config->ReadIniValue(L"Item_" + std::to_wstring(itemNo),
                                          tavelin::LocalizedKey(tavelin::LocalizedBase::Title, {}));
        },
        typeTexts, m_texts.Reasons()};
    m_reportItems = tavelin::ReportItemsOf(source, checked);
}

bool CTavelinDlg::FinishScan() {
    EnableWindow(Item(IDC_START), FALSE);
    const bool somethingToInstall = tavelin::AnyItemChecked(m_reportItems);
    m_nExitCode = tavelin::ScanExitCode(somethingToInstall);
    Log().Write(std::wstring(L"Scan complete, nothing installed: ") +
                (somethingToInstall ? L"the disc has something to install on this machine"
                                    : L"nothing to install on this machine"));
    if (!Unattended()) return true;
    EndUnattended(m_nExitCode, L"the scan is complete");
    return false;
}

void CTavelinDlg::NoteRunResults(const tavelin::RunOutcome& outcome) {
    for (const auto& [itemNo, done] : outcome.itemResults) {
        m_runResults[itemNo] = done ? tavelin::ItemRunResult::Done : tavelin::ItemRunResult::Failed;
    }
}

tavelin::RestorePointPolicy CTavelinDlg::RestorePointPolicyOfRun() const {
    tavelin::RestorePointPolicy policy;
    policy.noRestorePointSwitch = m_options.noRestorePoint;
    policy.discAllows = m_config && tavelin::DiscAllowsRestorePoint(*m_config);
    policy.resumedRun = m_resumeMode != tavelin::ResumeMode::None;
    return policy;
}

void CTavelinDlg::WriteReport(int exitCode) {
    if (m_options.reportFile.empty()) return;
    tavelin::FleetReport report;
    report.kind = m_options.scan ? tavelin::ReportKind::Scan : tavelin::ReportKind::Installation;
    report.programVersion = tavelin::ModuleVersion(Instance()).m_strProductVersion;
    for (wchar_t& c : report.programVersion) {
        if (c == L',') c = L'.';
    }
    report.created = LocalTimeText();
    report.machine = {m_strBiosModel,        m_machine.m_szOSKey,        m_szOSDisplayName,
                      m_machine.m_b64Bit,    m_machine.m_szLanguageCode, m_szLanguageTag};
    report.disc = {m_strCaption, m_strDiscRoot};
    report.refusal = m_strRefusal;
    report.items = m_reportItems;
    tavelin::ApplyRunResults(report.items, m_runResults);
    report.exitCode = exitCode;

    std::string bytes;
    if (tavelin::ReportFormatOf(m_options.reportFile) == tavelin::ReportFormat::Json) {
        bytes = tavelin::ReportJson(report);
    } else {
        tavelin::ReportPageTexts texts;
        texts.name = m_texts.Get(IDS_NAME);
        texts.type = m_texts.Get(IDS_TYPE);
        texts.version = m_texts.Get(IDS_VERSION);
        texts.done = m_texts.Get(IDS_DONE);
        texts.failed = m_texts.Get(IDS_FAILED);
        bytes = tavelin::ReportPage(report, texts);
    }
    const bool written = WriteWholeFile(m_options.reportFile, bytes);
    Log().Write(L"Report " + m_options.reportFile + L": " +
                (written ? L"written, " + std::to_wstring(report.items.size()) + L" items"
                         : L"could not be written (error " + std::to_wstring(GetLastError()) + L")"));
}
