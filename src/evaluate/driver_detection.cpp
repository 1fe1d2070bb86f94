#include "evaluate/driver_detection.h"

#include "config/text.h"
#include "evaluate/version_compare.h"
#include "evaluate/version_status_text.h"

namespace tavelin {

std::wstring DriverLookupErrorText(const InstalledDriverRecord& record) {
    switch (record.failure) {
    case DriverLookupFailure::None: return {};
    case DriverLookupFailure::NoMatchingDevice: return L"Not found HW_ID in registry";
    // Each open failure names the key that failed, so a support call can tell which device,
    // instance or class key is missing.
    case DriverLookupFailure::EnumeratorKey:
    case DriverLookupFailure::DeviceKey:
    case DriverLookupFailure::InstanceKey:
    case DriverLookupFailure::ClassKey: return L"Error : Failed to open " + record.failedPath;
    case DriverLookupFailure::DriverValue: return L"Error : Failed to get Class GUID(Driver)";
    case DriverLookupFailure::DriverVersion: return L"Error : Failed to get DriverVersion";
    case DriverLookupFailure::DriverDate: return L"Error : Failed to get DriverDate";
    case DriverLookupFailure::ProviderName: return L"Error : Failed to get ProviderName";
    }
    return {};
}

int DetectInstalledDriver(const DiagnosticSwitches& switches, MessageSink& sink, CItem& item,
                          std::wstring_view iniVersion, std::wstring_view iniDate, std::wstring_view hardwareId,
                          DriverKeyCache& drivers, DriverFinding& finding) {
    finding = DriverFinding{};
    finding.installed = drivers.Lookup(hardwareId);
    const InstalledDriverRecord& installed = *finding.installed;
    finding.hardwareId = hardwareId;
    finding.discVersion = iniVersion;
    finding.discDate = iniDate;
    finding.outcome = VERSION_STATUS_ERROR;
    if (installed.failure != DriverLookupFailure::None) {
        if (switches.m_bShowErrorMessage) sink.ShowMessage(DriverLookupErrorText(installed));
        return VERSION_STATUS_ERROR;
    }
    if (installed.version.empty()) {
        if (switches.m_bShowErrorMessage) sink.ShowMessage(L"Error : DriverVersion is null, maybe user uninstalled");
        return VERSION_STATUS_ERROR;
    }
    item.m_bInstalled = true;

    auto show = [&](const std::wstring& text) {
        if (switches.m_bShowItemVersionStatus) sink.ShowMessage(text);
    };
    int status = CompareVersionAndDate(iniVersion, iniDate, installed.version, installed.date);
    finding.compared = true;
    finding.comparison = status;
    if (switches.m_bShowItemVersionStatus) sink.ShowMessage(VersionStatusText(status, StatusCapital::Lower));
    if (item.m_bIgnoreVersionChecking && status != VERSION_STATUS_SAME) {
        status = VERSION_STATUS_INI_NEWER;
        finding.override = VersionOverride::IgnoreVersionChecking;
        show(L"Version status : Ini newer (because of IsIgnoreVersionChecking = true)");
    }
    // Drivers that came with Windows are always replaced by the maker's, unless the disc says the
    // item is itself the Windows driver.
    if (EqualsNoCase(installed.provider, L"Microsoft") && !item.m_bMicrosoftDriver) {
        status = VERSION_STATUS_INI_NEWER;
        finding.override = VersionOverride::WindowsProvider;
        show(L"Version status : Ini newer (because of Driver ProviderName = Microsoft)");
    }
    finding.outcome = status;
    return status;
}

}  // namespace tavelin
