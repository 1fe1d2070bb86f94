#include "evaluate/application_detection.h"

#include <algorithm>

#include "config/text.h"
#include "evaluate/version_compare.h"
#include "evaluate/version_status_text.h"

namespace tavelin {

namespace {

class Reporter {
public:
    Reporter(const DiagnosticSwitches& switches, MessageSink& sink) : m_switches(switches), m_sink(sink) {}
    void Error(const std::wstring& text) const {
        if (m_switches.m_bShowErrorMessage) m_sink.ShowMessage(text);
    }
    void Status(const std::wstring& text) const {
        if (m_switches.m_bShowItemVersionStatus) m_sink.ShowMessage(text);
    }

private:
    const DiagnosticSwitches& m_switches;
    MessageSink& m_sink;
};

void SetResult(CItem& item, bool installed, bool install) {
    item.m_bInstalled = installed;
    item.m_bVersionResult = install;
}

void NoteLocation(ApplicationFinding& finding, const OpenedKey& location) {
    finding.found = location.key != nullptr;
    finding.view = location.view;
}

void DetectHotfix(const Reporter& report, bool is64BitWindows, CItem& item, const std::wstring& versionPath,
                  Registry& registry, ApplicationFinding& finding) {
    finding.lookup = ApplicationLookup::Hotfix;
    finding.keyPath = versionPath;
    const OpenedKey location = OpenInEitherView(registry, versionPath, is64BitWindows);
    NoteLocation(finding, location);
    if (location.key) {
        SetResult(item, true, false);
        report.Status(location.view == RegistryView::View64
                          ? L"Version status : Hotfix VersionPath found in 64bit OS registry"
                          : L"Version status : Hotfix VersionPath found in 32bit OS registry");
        return;
    }
    SetResult(item, false, true);
    report.Status(is64BitWindows ? L"Version status : Hotfix failed to open VersionPath in 32 and 64 bit registry"
                                 : L"Version status : Hotfix failed to open VersionPath in 32 bit registry");
}

void DetectWithoutDiscVersion(const Reporter& report, bool is64BitWindows, CItem& item,
                              const std::wstring& versionPath, Registry& registry, ApplicationFinding& finding) {
    finding.lookup = ApplicationLookup::PresenceOnly;
    finding.keyPath = versionPath;
    const OpenedKey location = OpenInEitherView(registry, versionPath, is64BitWindows);
    NoteLocation(finding, location);
    if (location.key) {
        SetResult(item, true, false);
        report.Status(location.view == RegistryView::View64
                          ? L"Version status : Application VersionPath found in 64 OS registry(without version in ini file)"
                          : L"Version status : Application VersionPath found in 32bit OS registry(without version in ini file)");
        return;
    }
    SetResult(item, false, true);
    report.Error(is64BitWindows
                     ? L"Error : Failed to open VersionPath in 32 and 64 bit registry(without version in ini file)"
                     : L"Error : Failed to open VersionPath in 32 bit OS(without version in ini file)");
}

// The location of an application with a disc version; null (and the item marked absent) when it
// is in neither view. An empty path names no location at all.
std::unique_ptr<RegistryKey> OpenVersionLocation(const Reporter& report, bool is64BitWindows, CItem& item,
                                                 const std::wstring& keyPath, bool pathGiven, Registry& registry,
                                                 ApplicationFinding& finding) {
    OpenedKey location;
    if (pathGiven) location = OpenInEitherView(registry, keyPath, is64BitWindows);
    finding.keyPath = keyPath;
    NoteLocation(finding, location);
    if (!location.key) {
        SetResult(item, false, true);
        report.Error(is64BitWindows ? L"Error : Failed to open VersionPath in 32 and 64 bit registry"
                                    : L"Error : Failed to open VersionPath in 32 bit registry");
        return nullptr;
    }
    if (location.view == RegistryView::View64) {
        report.Status(L"Version status : Application VersionPath found in 64 OS registry");
    }
    return std::move(location.key);
}

bool LooksLikeVersion(const std::wstring& name) {
    for (const std::wstring& component : SplitList(name, L".")) {
        if (!std::all_of(component.begin(), component.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; })) {
            return false;
        }
    }
    return true;
}

// One comparison of the disc version with an installed one: whether to install, and whether the
// answer is final because version checking is off for the item.
struct Judgement {
    bool install = false;
    bool final = false;
};

Judgement Judge(const Reporter& report, const CItem& item, const std::wstring& iniVersion,
                const std::wstring& installedVersion, ApplicationFinding& finding) {
    const int status = CompareVersionAndDate(iniVersion, L"", installedVersion, L"");
    finding.compared = true;
    finding.version.discVersion = iniVersion;
    finding.version.installedVersion = installedVersion;
    finding.version.status = status;
    finding.override = VersionOverride::None;
    Judgement judgement;
    judgement.install = status == VERSION_STATUS_ERROR || status == VERSION_STATUS_INI_NEWER;
    report.Status(VersionStatusText(status, StatusCapital::Upper));
    if (item.m_bIgnoreVersionChecking && status != VERSION_STATUS_SAME) {
        judgement.install = true;
        judgement.final = true;
        finding.override = VersionOverride::IgnoreVersionChecking;
        report.Status(L"Version Status : Ini newer (because of IsIgnoreVersionChecking = true)");
    }
    return judgement;
}

// "...\Product\" : the subkeys of Product are the installed versions.
void DetectByVersionSubkeys(const Reporter& report, bool is64BitWindows, CItem& item,
                            const std::wstring& versionPath, const std::wstring& iniVersion, Registry& registry,
                            ApplicationFinding& finding) {
    finding.lookup = ApplicationLookup::VersionSubkeys;
    const std::wstring keyPath = versionPath.substr(0, versionPath.size() - 1);
    std::unique_ptr<RegistryKey> key =
        OpenVersionLocation(report, is64BitWindows, item, keyPath, true, registry, finding);
    if (!key) return;
    const std::vector<std::wstring> names = EnumerateSubkeyNames(*key);
    key.reset();

    bool install = false;
    for (const std::wstring& name : names) {
        if (!LooksLikeVersion(name)) continue;
        const Judgement judgement = Judge(report, item, iniVersion, name, finding);
        install = judgement.install;
        if (judgement.final || install) break;
    }
    SetResult(item, true, install);
}

// "...\Product\Version" : the value Version holds the installed version.
void DetectByVersionValue(const Reporter& report, bool is64BitWindows, CItem& item,
                          const std::wstring& versionPath, const std::wstring& iniVersion, Registry& registry,
                          ApplicationFinding& finding) {
    finding.lookup = ApplicationLookup::VersionValue;
    std::vector<std::wstring> components = SplitList(versionPath, L"\\");
    // A path of separators only names nothing, like an empty one.
    const bool pathGiven = !versionPath.empty() && !components.empty();
    const std::wstring valueName = pathGiven ? components.back() : L"";
    if (pathGiven) components.pop_back();
    std::wstring keyPath;
    for (std::size_t i = 0; i < components.size(); ++i) keyPath += (i == 0 ? L"" : L"\\") + components[i];

    finding.valueName = valueName;
    std::unique_ptr<RegistryKey> key =
        OpenVersionLocation(report, is64BitWindows, item, keyPath, pathGiven, registry, finding);
    if (!key) return;
    // A missing or oversized value is an unknown version, which compares as 0.
    const std::wstring installed = key->QueryStringValue(valueName, kApplicationValueBufferBytes).value_or(L"");
    key.reset();
    SetResult(item, true, Judge(report, item, iniVersion, installed, finding).install);
}

}  // namespace

void DetectInstalledApplication(const DiagnosticSwitches& switches, MessageSink& sink, bool is64BitWindows,
                                CItem& item, const std::wstring& versionPath, const std::wstring& iniVersion,
                                Registry& registry, ApplicationFinding& finding) {
    const Reporter report(switches, sink);
    finding = ApplicationFinding{};
    finding.version.discVersion = iniVersion;
    if (item.m_nType == ITEM_TYPE_HOTFIX) {
        DetectHotfix(report, is64BitWindows, item, versionPath, registry, finding);
    } else if (iniVersion.empty()) {
        DetectWithoutDiscVersion(report, is64BitWindows, item, versionPath, registry, finding);
    } else if (!versionPath.empty() && versionPath.back() == L'\\') {
        DetectByVersionSubkeys(report, is64BitWindows, item, versionPath, iniVersion, registry, finding);
    } else {
        DetectByVersionValue(report, is64BitWindows, item, versionPath, iniVersion, registry, finding);
    }
}

}  // namespace tavelin
