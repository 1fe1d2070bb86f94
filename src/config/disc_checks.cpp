#include "config/disc_checks.h"

#include "config/text.h"

namespace tavelin {
namespace {

const std::wstring kDiscSection = L"Driver_CD";
const std::wstring kOsTagSection = L"OS_Language_Tag";

struct BitnessCheck {
    bool allowed = false;
    std::wstring line;
};

BitnessCheck CheckBitness(const std::wstring& systemTypes, bool is64Bit) {
    BitnessCheck check;
    if (systemTypes.empty()) {
        check.allowed = true;
        return check;
    }
    for (const std::wstring& entry : SplitList(systemTypes, L",")) {
        const bool is32Entry = EqualsNoCase(entry, L"32BIT");
        const bool is64Entry = EqualsNoCase(entry, L"64BIT");
        if (!is32Entry && !is64Entry) continue;
        check.line += check.line.empty() ? L"" : L", ";
        check.line += is32Entry ? L"32" : L"64";
        if (is64Entry == is64Bit) check.allowed = true;
    }
    // Also after a list of unknown entries only: the refusal then shows " bit" alone.
    check.line += L" bit\n";
    return check;
}

struct OsVersionCheck {
    bool allowed = false;
    std::wstring lines;
};

OsVersionCheck CheckOsVersion(const std::wstring& osVersions, const std::wstring& displayName) {
    OsVersionCheck check;
    if (osVersions.empty()) {
        check.allowed = true;
        return check;
    }
    // Every entry is listed, matching or not: the refusal names all systems the disc supports.
    for (const std::wstring& entry : SplitList(osVersions, L",")) {
        if (EqualsNoCase(entry, displayName)) check.allowed = true;
        check.lines += entry + L"\n";
    }
    return check;
}

}  // namespace

std::wstring ReadDiscTitle(const ConfigFile& config, const std::wstring& languageCode) {
    const std::wstring tag = LookupLanguageTag(config, languageCode);
    const std::wstring title = config.ReadIniValue(kDiscSection, LocalizedKey(LocalizedBase::Title, tag));
    if (!title.empty()) return title;
    return config.ReadIniValue(kDiscSection, FallbackKey(LocalizedBase::Title));
}

ModelCheck CheckMachineModel(const ConfigFile& config, const std::wstring& modelName) {
    ModelCheck check;
    check.machineModel = ToUpperText(TrimWhiteSpace(modelName));
    const std::wstring models = config.ReadIniValue(kDiscSection, L"Model");
    if (models.empty()) {
        check.allowed = true;
        return check;
    }
    for (const std::wstring& entry : SplitList(models, L",")) {
        if (EqualsNoCase(entry, check.machineModel)) {
            check.allowed = true;
            break;
        }
    }
    return check;
}

OsCheck CheckOperatingSystem(const ConfigFile& config, const MachineFacts& facts, bool showErrorMessage,
                             const std::wstring& suitableOsText, MessageSink& messages) {
    OsCheck check;
    // The display name lives in a fixed-size member; a longer one is cut, and compared as cut.
    check.osDisplayName = config.ReadIniValue(kOsTagSection, facts.m_szOSKey).substr(0, kMaxOsDisplayNameLength);

    const BitnessCheck bitness = CheckBitness(config.ReadIniValue(kDiscSection, L"System_Type"), facts.m_b64Bit);
    const OsVersionCheck os = CheckOsVersion(config.ReadIniValue(kDiscSection, L"OS_VERSION"), check.osDisplayName);
    if (bitness.allowed && os.allowed) return check;

    if (showErrorMessage) {
        if (!bitness.allowed) messages.ShowMessage(L"Wrong system");
        if (!os.allowed) messages.ShowMessage(L"Wrong OS");
    }
    check.errorText = TrimWhiteSpace(suitableOsText) + L"\n" + bitness.line + os.lines;
    return check;
}

}  // namespace tavelin
