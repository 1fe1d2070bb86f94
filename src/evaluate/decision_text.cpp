#include "evaluate/decision_text.h"

#include <algorithm>
#include <optional>

#include "config/text.h"
#include "evaluate/driver_detection.h"
#include "evaluate/version_compare.h"

namespace tavelin {

namespace {

// In the order of ReasonText.
const wchar_t* const kEnglish[kReasonTextCount] = {
    L"Offered: the installed driver %1 (%2) is older than the disc's %3 (%4)",
    L"Offered: no driver is installed for %1",
    L"Offered: the installed driver for %1 could not be read",
    L"Offered: the installed driver %1 cannot be compared with the disc's %2",
    L"Offered: the installed driver %1 came with Windows; the disc's %2 replaces it",
    L"Offered: the disc installs it whatever is installed (installed %1, disc %2)",
    L"Offered: the disc installs this driver without looking for its device",
    L"Offered: the installed version %1 is older than the disc's %2",
    L"Offered: not installed (%1 is not in the registry)",
    L"Offered: the installed version %1 cannot be compared with the disc's %2",
    L"Offered: the disc's copy is to be installed",
    L"Greyed: installed, same version as on the disc",
    L"Greyed: the installed %1 is newer than the disc's %2",
    L"Greyed: installed (%1 is in the registry)",
    L"Greyed: nothing on the disc is newer",
    L"Not offered: no device with %1 is present",
    L"Not offered: no device with any of its %1 hardware ids is present (the first is %2)",
    L"Not offered: it needs every one of its devices, and %1 is not present",
    L"Not offered: hidden by the disc's rule %1 (%2)",
    L"Not offered: meant for %1, not for %2",
    L"Not offered: meant for the languages %1, not for %2",
    L"Not offered: the disc gives it a type this program does not know",
    L"Not offered: meant for the models %1",
    L"Not offered: meant for %1 Windows",
    L"Not offered: it has no title in this language or in English",
    L"Shown by the disc's rule %1 (%2)",
    L"Checked because \"%1\" needs it",
    L"Cleared because it needs \"%1\"",
    L"unknown",
};

bool AsksForInstall(int status) { return status == VERSION_STATUS_ERROR || status == VERSION_STATUS_INI_NEWER; }

class Reason {
public:
    explicit Reason(const ReasonTexts& texts) : m_texts(texts) {}
    std::wstring operator()(ReasonText text, std::vector<std::wstring> values = {}) const {
        for (std::wstring& value : values) {
            if (value.empty()) value = m_texts.Get(ReasonText::UnknownValue);
        }
        return FillTemplate(m_texts.Get(text), values);
    }

private:
    const ReasonTexts& m_texts;
};

const wchar_t* VisibilityKey(VisibilityGroup group) {
    switch (group) {
    case VisibilityGroup::VisibleIfExist: return L"Visible_If_Item_Exist";
    case VisibilityGroup::InvisibleIfExist: return L"Invisible_If_Item_Exist";
    case VisibilityGroup::VisibleIfNotExist: return L"Visible_If_Item_Not_Exist";
    case VisibilityGroup::InvisibleIfNotExist: return L"Invisible_If_Item_Not_Exist";
    }
    return L"";
}

std::wstring ItemNumbers(const std::vector<std::uint32_t>& numbers, const std::wstring& rule) {
    std::wstring text;
    for (std::uint32_t number : numbers) {
        if (!text.empty()) text += L" " + rule + L" ";
        text += L"Item_" + DecimalText(number);
    }
    return text;
}

std::wstring Joined(const std::vector<std::wstring>& parts) {
    std::wstring text;
    for (const std::wstring& part : parts) text += (text.empty() ? L"" : L", ") + part;
    return text;
}

bool DevicePresent(const DecisionRecord& decision, std::size_t index) {
    return index < decision.devices.size() && decision.devices[index].present;
}

std::wstring OfferedDriver(const DecisionRecord& decision, const Reason& reason) {
    const bool anyRule = decision.hardwareRule == HWID_RULE_OR;
    for (std::size_t i = 0; i < decision.drivers.size(); ++i) {
        const DriverFinding& driver = decision.drivers[i];
        // Under "OR" only present devices count; under "AND" every device is present anyway.
        if ((anyRule && !DevicePresent(decision, i)) || !AsksForInstall(driver.outcome)) continue;
        const VersionFinding version = driver.Comparison();
        if (driver.override == VersionOverride::WindowsProvider) {
            return reason(ReasonText::OfferedWindowsDriver, {version.installedVersion, version.discVersion});
        }
        if (driver.override == VersionOverride::IgnoreVersionChecking) {
            return reason(ReasonText::OfferedAlways, {version.installedVersion, version.discVersion});
        }
        if (driver.Failure() == DriverLookupFailure::NoMatchingDevice || driver.VersionEmpty()) {
            return reason(ReasonText::OfferedDriverMissing, {std::wstring(driver.hardwareId)});
        }
        if (driver.Failure() != DriverLookupFailure::None) {
            return reason(ReasonText::OfferedDriverUnreadable, {std::wstring(driver.hardwareId)});
        }
        if (version.status == VERSION_STATUS_INI_NEWER) {
            return reason(ReasonText::OfferedDriverOlder,
                          {version.installedVersion, ReadableDate(version.installedDate), version.discVersion,
                           ReadableDate(version.discDate)});
        }
        return reason(ReasonText::OfferedDriverUncomparable, {version.installedVersion, version.discVersion});
    }
    if (decision.ignoreHardware) return reason(ReasonText::OfferedWithoutDevice);
    return reason(ReasonText::OfferedAgain);
}

std::wstring OfferedApplication(const DecisionRecord& decision, const Reason& reason) {
    if (!decision.application) return reason(ReasonText::OfferedAgain);
    const ApplicationFinding& application = *decision.application;
    const VersionFinding& version = application.version;
    if (!application.found) return reason(ReasonText::OfferedNotInstalled, {application.keyPath});
    if (application.override == VersionOverride::IgnoreVersionChecking) {
        return reason(ReasonText::OfferedAlways, {version.installedVersion, version.discVersion});
    }
    if (application.compared && version.status == VERSION_STATUS_INI_NEWER) {
        return reason(ReasonText::OfferedApplicationOlder, {version.installedVersion, version.discVersion});
    }
    if (application.compared) {
        return reason(ReasonText::OfferedUncomparable, {version.installedVersion, version.discVersion});
    }
    return reason(ReasonText::OfferedAgain);
}

// The comparison that keeps an installed item greyed: the first one that asked for nothing.
std::optional<VersionFinding> GreyingComparison(const DecisionRecord& decision) {
    for (std::size_t i = 0; i < decision.drivers.size(); ++i) {
        const DriverFinding& driver = decision.drivers[i];
        if (driver.compared && DevicePresent(decision, i) && !AsksForInstall(driver.outcome)) {
            return driver.Comparison();
        }
    }
    if (decision.application && decision.application->compared) return decision.application->version;
    return std::nullopt;
}

std::wstring Greyed(const DecisionRecord& decision, const Reason& reason) {
    if (const std::optional<VersionFinding> version = GreyingComparison(decision)) {
        if (version->status == VERSION_STATUS_SAME) return reason(ReasonText::GreyedSame);
        if (version->status == VERSION_STATUS_REGISTRY_NEWER) {
            return reason(ReasonText::GreyedNewer, {version->installedVersion, version->discVersion});
        }
    }
    if (decision.application && decision.application->found && !decision.application->compared) {
        return reason(ReasonText::GreyedPresent, {decision.application->keyPath});
    }
    return reason(ReasonText::GreyedNothingToInstall);
}

std::wstring Excluded(const DecisionRecord& decision, const Reason& reason) {
    switch (decision.exclusion) {
    case ExclusionRule::UnknownType: return reason(ReasonText::NotOfferedUnknownType);
    case ExclusionRule::Hardware: {
        const auto& devices = decision.devices;
        if (decision.hardwareRule == HWID_RULE_AND) {
            const auto absent = std::find_if(devices.begin(), devices.end(),
                                             [](const DeviceFinding& device) { return !device.present; });
            if (absent != devices.end()) return reason(ReasonText::NotOfferedMissingDevice, {std::wstring(absent->hardwareId)});
        }
        if (devices.size() == 1) return reason(ReasonText::NotOfferedNoDevice, {std::wstring(devices.front().hardwareId)});
        return reason(ReasonText::NotOfferedNoDevices,
                      {DecimalText(static_cast<long long>(devices.size())),
                       devices.empty() ? std::wstring() : std::wstring(devices.front().hardwareId)});
    }
    case ExclusionRule::Hidden: {
        const VisibilityFinding& rule = decision.visibility.back();
        return reason(ReasonText::NotOfferedHidden, {VisibilityKey(rule.group), ItemNumbers(rule.items, rule.rule)});
    }
    case ExclusionRule::OperatingSystem:
        return reason(ReasonText::NotOfferedOperatingSystem, {decision.osList, decision.osName});
    case ExclusionRule::Language:
        return reason(ReasonText::NotOfferedLanguage, {Joined(decision.languages), decision.languageTag});
    case ExclusionRule::None: break;
    }
    return {};
}

std::wstring SecondLine(const DecisionRecord& decision, const Reason& reason) {
    if (!decision.dependences.empty()) {
        const DependenceFinding& last = decision.dependences.back();
        return reason(last.checked ? ReasonText::CheckedForDependence : ReasonText::ClearedForDependence,
                      {last.causeTitle});
    }
    if (decision.applies && !decision.visibility.empty() && decision.visibility.back().visible) {
        const VisibilityFinding& rule = decision.visibility.back();
        return reason(ReasonText::ShownByRule, {VisibilityKey(rule.group), ItemNumbers(rule.items, rule.rule)});
    }
    return {};
}

const wchar_t* TypeName(int type) {
    switch (type) {
    case ITEM_TYPE_DRIVER: return L"driver";
    case ITEM_TYPE_RECOMMENDED_APP: return L"recommended application";
    case ITEM_TYPE_OPTIONAL_APP: return L"optional application";
    case ITEM_TYPE_HOTFIX: return L"hotfix";
    default: return L"unknown type";
    }
}

const wchar_t* StatusName(int status) {
    switch (status) {
    case VERSION_STATUS_SAME: return L"same";
    case VERSION_STATUS_INI_NEWER: return L"disc newer";
    case VERSION_STATUS_REGISTRY_NEWER: return L"installed newer";
    default: return L"not comparable";
    }
}

const wchar_t* OverrideName(VersionOverride override) {
    switch (override) {
    case VersionOverride::IgnoreVersionChecking: return L", taken as disc newer (Ignore_Version_Checking)";
    case VersionOverride::WindowsProvider: return L", taken as disc newer (the installed driver came with Windows)";
    case VersionOverride::None: break;
    }
    return L"";
}

const wchar_t* PlacementName(const DecisionRecord& decision) {
    switch (decision.placement) {
    case ListPlacement::Offered: return L"offered, checked, in both views";
    case ListPlacement::InstalledRow: return L"greyed, unchecked, in the advanced view";
    case ListPlacement::None: break;
    }
    return L"not listed";
}

const wchar_t* LookupName(ApplicationLookup lookup) {
    switch (lookup) {
    case ApplicationLookup::Hotfix: return L"hotfix key";
    case ApplicationLookup::PresenceOnly: return L"key (no version on the disc)";
    case ApplicationLookup::VersionSubkeys: return L"version subkeys of";
    case ApplicationLookup::VersionValue: return L"version value of";
    }
    return L"";
}

std::wstring Quoted(std::wstring_view text) { return L"\"" + std::wstring(text) + L"\""; }

std::wstring DriverLine(const DriverFinding& driver) {
    std::wstring line = L"  driver for " + std::wstring(driver.hardwareId) + L": ";
    if (!driver.installed) return line + L"not looked up";
    const InstalledDriverRecord& installed = *driver.installed;
    if (installed.failure != DriverLookupFailure::None) {
        line += DriverLookupErrorText(installed);
        if (!installed.classPath.empty()) line += L" (" + installed.classPath + L")";
    } else if (driver.VersionEmpty()) {
        line += L"empty DriverVersion in " + installed.classPath;
    } else {
        line += L"installed " + Quoted(installed.version) + L" " + Quoted(installed.date) + L" from " +
                Quoted(installed.provider) + L" in " + installed.classPath + L"; disc " + Quoted(driver.discVersion) +
                L" " + Quoted(driver.discDate) + L": " + StatusName(driver.comparison) + OverrideName(driver.override);
    }
    return line + L" -> status " + DecimalText(driver.outcome);
}

std::wstring ApplicationLine(const ApplicationFinding& application) {
    std::wstring line = L"  installed state: ";
    line += LookupName(application.lookup);
    line += L" HKLM\\" + application.keyPath;
    if (!application.valueName.empty()) line += L" value " + Quoted(application.valueName);
    if (!application.found) return line + L": not found in either view";
    line += L": found in the " + std::wstring(RegistryViewName(application.view)) + L" view";
    if (application.compared) {
        line += L", installed " + Quoted(application.version.installedVersion) + L", disc " +
                Quoted(application.version.discVersion) + L": " + StatusName(application.version.status) +
                OverrideName(application.override);
    }
    return line;
}

}  // namespace

ReasonTexts::ReasonTexts() {
    for (std::size_t i = 0; i < kReasonTextCount; ++i) m_texts[i] = kEnglish[i];
}

void ReasonTexts::Set(ReasonText text, std::wstring translation) {
    if (!translation.empty()) m_texts[static_cast<std::size_t>(text)] = std::move(translation);
}

std::wstring FillTemplate(const std::wstring& pattern, const std::vector<std::wstring>& values) {
    std::wstring text;
    text.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const wchar_t c = pattern[i];
        if (c != L'%' || i + 1 == pattern.size()) {
            text += c;
            continue;
        }
        const wchar_t next = pattern[i + 1];
        if (next == L'%') {
            text += L'%';
            ++i;
        } else if (next >= L'1' && next <= L'9') {
            const std::size_t index = static_cast<std::size_t>(next - L'1');
            if (index < values.size()) text += values[index];
            ++i;
        } else {
            text += c;
        }
    }
    return text;
}

std::wstring ReadableDate(const std::wstring& date) {
    const std::vector<std::wstring> parts = SplitList(date, L"-");
    const bool numeric = parts.size() == 3 && std::all_of(parts.begin(), parts.end(), [](const std::wstring& part) {
        return !part.empty() && part.size() <= 4 &&
               std::all_of(part.begin(), part.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
    });
    if (!numeric || parts[0].size() > 2 || parts[1].size() > 2 || parts[2].size() != 4) return date;
    const auto twoDigits = [](const std::wstring& part) { return part.size() == 1 ? L"0" + part : part; };
    return parts[2] + L"-" + twoDigits(parts[0]) + L"-" + twoDigits(parts[1]);
}

std::wstring ReasonSummary(const DecisionRecord& decision, const ReasonTexts& texts) {
    const Reason reason(texts);
    std::wstring first;
    if (!decision.applies) {
        first = Excluded(decision, reason);
    } else if (decision.offered) {
        first = decision.type == ITEM_TYPE_DRIVER ? OfferedDriver(decision, reason) : OfferedApplication(decision, reason);
    } else {
        first = Greyed(decision, reason);
    }
    const std::wstring second = SecondLine(decision, reason);
    return second.empty() ? first : first + L"\n" + second;
}

std::wstring DroppedItemReason(const DroppedItem& dropped, const ReasonTexts& texts) {
    const Reason reason(texts);
    switch (dropped.reason) {
    case DropReason::Model: return reason(ReasonText::NotOfferedModel, {dropped.value});
    case DropReason::Bitness: return reason(ReasonText::NotOfferedBitness, {dropped.value});
    case DropReason::NoTitle: return reason(ReasonText::NotOfferedNoTitle);
    }
    return {};
}

std::vector<std::wstring> DecisionLogLines(const DecisionRecord& decision, const std::wstring& title) {
    const ReasonTexts english;
    std::vector<std::wstring> lines;
    std::wstring summary = ReasonSummary(decision, english);
    std::replace(summary.begin(), summary.end(), L'\n', L' ');
    lines.push_back(L"Item_" + DecimalText(decision.itemNo) + L" " + Quoted(title) + L" (" + TypeName(decision.type) +
                    L"): " + PlacementName(decision) + L". " + summary);

    if (!decision.devices.empty() || decision.hardwareRuleRan) {
        std::wstring rule = decision.hardwareRule == HWID_RULE_AND  ? L"AND"
                            : decision.hardwareRule == HWID_RULE_OR ? L"OR"
                                                                    : L"none";
        std::wstring line = L"  hardware rule " + rule + (decision.ignoreHardware ? L" (Ignore_HW_Checking)" : L"");
        if (decision.hardwareRuleRan) line += decision.hardwarePresent ? L": satisfied" : L": not satisfied";
        lines.push_back(line);
    }
    for (const DeviceFinding& device : decision.devices) {
        lines.push_back(L"  device " + std::wstring(device.hardwareId) + L": " +
                        (device.present ? L"present" + (device.source.empty() ? L"" : L" (found by " + std::wstring(device.source) + L")")
                                        : std::wstring(L"not present")));
    }
    for (const DriverFinding& driver : decision.drivers) lines.push_back(DriverLine(driver));
    if (decision.application) lines.push_back(ApplicationLine(*decision.application));
    if (!decision.osList.empty()) {
        lines.push_back(L"  OS rule " + Quoted(decision.osList) + L" for " + Quoted(decision.osName) + L": " +
                        (decision.osMatched ? L"matched" : L"not matched"));
    }
    if (!decision.languages.empty()) {
        lines.push_back(L"  language rule " + Quoted(Joined(decision.languages)) + L" for " +
                        Quoted(decision.languageTag) + L": " + (decision.languageMatched ? L"matched" : L"not matched"));
    }
    for (const VisibilityFinding& rule : decision.visibility) {
        lines.push_back(L"  " + std::wstring(VisibilityKey(rule.group)) + L" " + ItemNumbers(rule.items, rule.rule) +
                        L": held, " + (rule.visible ? L"shown" : L"hidden"));
    }
    lines.push_back(std::wstring(L"  installed: ") + (decision.installed ? L"yes" : L"no") +
                    L"; disc's copy to install: " + (decision.offered ? L"yes" : L"no"));
    for (const DependenceFinding& dependence : decision.dependences) {
        lines.push_back(std::wstring(L"  ") + (dependence.checked ? L"checked" : L"cleared") + L" through Item_" +
                        DecimalText(dependence.causeItemNo) + L" " + Quoted(dependence.causeTitle));
    }
    return lines;
}

}  // namespace tavelin
