#include "report/report_json.h"

#include <nlohmann/json.hpp>

#include "evaluate/version_compare.h"
#include "runlog/utf8_text.h"

namespace tavelin {

namespace {

using Json = nlohmann::ordered_json;

std::string U8(std::wstring_view text) { return EncodeUtf8(text); }

// Null for an empty text: "not known" reads differently from an empty value in a tool.
Json TextOrNull(std::wstring_view text) { return text.empty() ? Json(nullptr) : Json(U8(text)); }

const char* ComparisonName(int status) {
    switch (status) {
        case VERSION_STATUS_SAME: return "same";
        case VERSION_STATUS_INI_NEWER: return "disc newer";
        case VERSION_STATUS_REGISTRY_NEWER: return "installed newer";
        default: return "not comparable";
    }
}

const char* OverrideName(VersionOverride override) {
    switch (override) {
        case VersionOverride::None: return "none";
        case VersionOverride::IgnoreVersionChecking: return "Ignore_Version_Checking";
        case VersionOverride::WindowsProvider: return "installed driver came with Windows";
    }
    return "none";
}

const char* RuleName(int rule) {
    switch (rule) {
        case HWID_RULE_OR: return "OR";
        case HWID_RULE_AND: return "AND";
        default: return "none";
    }
}

const char* LookupFailureName(DriverLookupFailure failure) {
    switch (failure) {
        case DriverLookupFailure::None: return "none";
        case DriverLookupFailure::EnumeratorKey: return "enumerator key";
        case DriverLookupFailure::NoMatchingDevice: return "no matching device";
        case DriverLookupFailure::DeviceKey: return "device key";
        case DriverLookupFailure::InstanceKey: return "instance key";
        case DriverLookupFailure::DriverValue: return "Driver value";
        case DriverLookupFailure::ClassKey: return "class key";
        case DriverLookupFailure::DriverVersion: return "DriverVersion";
        case DriverLookupFailure::DriverDate: return "DriverDate";
        case DriverLookupFailure::ProviderName: return "ProviderName";
    }
    return "none";
}

const char* LookupName(ApplicationLookup lookup) {
    switch (lookup) {
        case ApplicationLookup::Hotfix: return "hotfix key";
        case ApplicationLookup::PresenceOnly: return "key present";
        case ApplicationLookup::VersionSubkeys: return "version subkeys";
        case ApplicationLookup::VersionValue: return "version value";
    }
    return "";
}

const char* ExclusionName(ExclusionRule rule) {
    switch (rule) {
        case ExclusionRule::None: return "none";
        case ExclusionRule::UnknownType: return "unknown type";
        case ExclusionRule::Hardware: return "hardware";
        case ExclusionRule::Hidden: return "hidden";
        case ExclusionRule::OperatingSystem: return "operating system";
        case ExclusionRule::Language: return "language";
    }
    return "none";
}

const char* VisibilityKeyName(VisibilityGroup group) {
    switch (group) {
        case VisibilityGroup::VisibleIfExist: return "Visible_If_Item_Exist";
        case VisibilityGroup::InvisibleIfExist: return "Invisible_If_Item_Exist";
        case VisibilityGroup::VisibleIfNotExist: return "Visible_If_Item_Not_Exist";
        case VisibilityGroup::InvisibleIfNotExist: return "Invisible_If_Item_Not_Exist";
    }
    return "";
}

Json VersionJson(const VersionFinding& version) {
    return Json{{"discVersion", TextOrNull(version.discVersion)},
                {"discDate", TextOrNull(version.discDate)},
                {"installedVersion", TextOrNull(version.installedVersion)},
                {"installedDate", TextOrNull(version.installedDate)},
                {"comparison", ComparisonName(version.status)}};
}

Json FactsJson(const DecisionRecord& decision) {
    Json devices = Json::array();
    for (const DeviceFinding& device : decision.devices) {
        devices.push_back({{"hardwareId", U8(device.hardwareId)},
                           {"present", device.present},
                           {"foundBy", TextOrNull(device.source)}});
    }
    Json drivers = Json::array();
    for (const DriverFinding& driver : decision.drivers) {
        Json entry{{"hardwareId", U8(driver.hardwareId)}};
        if (driver.installed) {
            entry["lookupFailure"] = LookupFailureName(driver.installed->failure);
            entry["classKey"] = TextOrNull(driver.installed->classPath);
            entry["provider"] = TextOrNull(driver.installed->provider);
        }
        entry["compared"] = driver.compared;
        entry["version"] = VersionJson(driver.Comparison());
        entry["override"] = OverrideName(driver.override);
        entry["outcome"] = ComparisonName(driver.outcome);
        drivers.push_back(std::move(entry));
    }
    Json facts{{"hardware",
                {{"rule", RuleName(decision.hardwareRule)},
                 {"ignoreHardware", decision.ignoreHardware},
                 {"present", decision.hardwarePresent},
                 {"devices", std::move(devices)}}},
               {"drivers", std::move(drivers)}};
    if (decision.application) {
        const ApplicationFinding& application = *decision.application;
        facts["application"] = {{"lookup", LookupName(application.lookup)},
                                {"key", U8(L"HKEY_LOCAL_MACHINE\\" + application.keyPath)},
                                {"valueName", TextOrNull(application.valueName)},
                                {"found", application.found},
                                {"registryView", application.found ? Json(U8(RegistryViewName(application.view)))
                                                                   : Json(nullptr)},
                                {"compared", application.compared},
                                {"version", VersionJson(application.version)},
                                {"override", OverrideName(application.override)}};
    } else {
        facts["application"] = nullptr;
    }
    Json languages = Json::array();
    for (const std::wstring& language : decision.languages) languages.push_back(U8(language));
    facts["operatingSystem"] = {{"itemList", TextOrNull(decision.osList)},
                                {"machine", TextOrNull(decision.osName)},
                                {"matched", decision.osMatched}};
    facts["language"] = {{"itemList", std::move(languages)},
                         {"machine", TextOrNull(decision.languageTag)},
                         {"matched", decision.languageMatched}};
    Json visibility = Json::array();
    for (const VisibilityFinding& rule : decision.visibility) {
        visibility.push_back({{"key", VisibilityKeyName(rule.group)},
                              {"items", rule.items},
                              {"rule", U8(rule.rule)},
                              {"visible", rule.visible}});
    }
    facts["visibility"] = std::move(visibility);
    facts["installed"] = decision.installed;
    facts["discCopyWanted"] = decision.offered;
    facts["exclusion"] = ExclusionName(decision.exclusion);
    return facts;
}

Json ItemJson(const ReportItem& item) {
    Json entry{{"item", item.itemNo},
               {"type", item.type},
               {"typeText", TextOrNull(item.typeText)},
               {"title", U8(item.title)},
               {"discVersion", TextOrNull(item.discVersion)},
               {"installedVersion", TextOrNull(item.installedVersion)},
               {"status", U8(item.status)},
               {"applies", item.applies},
               {"checked", item.checked},
               {"reason", U8(item.reason)}};
    entry["result"] = item.result == ItemRunResult::NotInRun ? Json(nullptr) : Json(ItemRunResultName(item.result));
    entry["facts"] = item.decision ? FactsJson(*item.decision) : Json(nullptr);
    return entry;
}

}  // namespace

std::string ReportJson(const FleetReport& report) {
    Json items = Json::array();
    for (const ReportItem& item : report.items) items.push_back(ItemJson(item));
    const Json document{
        {"schemaVersion", kReportSchemaVersion},
        {"kind", report.kind == ReportKind::Scan ? "scan" : "installation"},
        {"program", TextOrNull(report.programVersion)},
        {"created", TextOrNull(report.created)},
        {"machine",
         {{"model", U8(report.machine.model)},
          {"osKey", TextOrNull(report.machine.osKey)},
          {"osName", TextOrNull(report.machine.osName)},
          {"windows64", report.machine.windows64},
          {"languageCode", U8(report.machine.languageCode)},
          {"languageTag", TextOrNull(report.machine.languageTag)}}},
        {"disc", {{"title", U8(report.disc.title)}, {"folder", U8(report.disc.root)}}},
        {"refusal", TextOrNull(report.refusal)},
        {"exitCode", report.exitCode},
        {"items", std::move(items)},
    };
    // EncodeUtf8 gives well-formed UTF-8 always; the handler only keeps a damaged text from
    // throwing out of the writer.
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace tavelin
