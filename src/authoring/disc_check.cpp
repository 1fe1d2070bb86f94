#include "authoring/disc_check.h"

#include "authoring/catalogue_checks.h"
#include "authoring/disc_files.h"
#include "authoring/ini_checks.h"
#include "authoring/skin_checks.h"
#include "config/text.h"

namespace tavelin {

namespace {

const std::wstring kCatalogueFile = L"Lib/TAVELIN.INI";

// The texts the window's buttons open with the editor.
void CheckTextFiles(const std::filesystem::path& discRoot, Findings& findings) {
    for (const wchar_t* name : {L"FILELIST.TXT", L"TECHSUPP.TXT"}) {
        if (FindOnDisc(discRoot, name)) continue;
        findings.push_back({Severity::Warning, "text-file-missing", name, 0,
                            std::wstring(name) + L" is missing at the disc's root: its button opens an empty editor"});
    }
}

// The number n of a section named "Item_<n>" (as the loader formats it), or 0.
std::int32_t ItemNumberOf(const std::wstring& section) {
    if (section.size() <= 5 || !EqualsNoCase(section.substr(0, 5), L"Item_")) return 0;
    const std::wstring digits = section.substr(5);
    if (DecimalText(ParseLeadingInt(digits)) != digits) return 0;
    return ParseLeadingInt(digits);
}

UnreadRules CatalogueUnreadRules(const CatalogueSurvey& survey) {
    UnreadRules rules;
    rules.alsoKnown = [](const std::wstring& section, const std::wstring& key) {
        // Language codes and OS keys are looked up only on the machines that have them.
        return EqualsNoCase(section, L"OS_Language_Tag") &&
               (IsLanguageCodeKey(key) || KnownOsKeys().count(ToUpperText(key)) > 0);
    };
    rules.skipSection = [&survey](const std::wstring& section) {
        const std::int32_t itemNo = ItemNumberOf(section);
        return itemNo > 0 && survey.neverLoaded.count(itemNo) > 0;
    };
    rules.whySectionUnread = [&survey](const std::wstring& section) -> std::wstring {
        const std::int32_t itemNo = ItemNumberOf(section);
        if (itemNo == 0) return {};
        if (itemNo > kMaxCatalogueItems) {
            return L": the program reads at most " + DecimalText(kMaxCatalogueItems) + L" items";
        }
        return L": it is beyond Item_Quantity (" + DecimalText(survey.itemQuantity) + L") in [Items]";
    };
    rules.moreCandidates = [&survey](const std::wstring& section) {
        std::vector<std::wstring> names;
        if (ItemNumberOf(section) == 0) return names;
        for (const auto& [folded, read] : survey.reads) {
            if (ItemNumberOf(folded) == 0) continue;
            for (const auto& [foldedKey, spelling] : read.keys) names.push_back(spelling);
        }
        return names;
    };
    return rules;
}

void CheckCatalogue(const std::filesystem::path& discRoot, Findings& findings) {
    const auto path = FindOnDisc(discRoot, kCatalogueFile);
    if (!path) {
        findings.push_back({Severity::Error, "catalogue-missing", kCatalogueFile, 0,
                            L"the catalogue is missing: the program offers nothing"});
        return;
    }
    const auto bytes = ReadDiscFile(*path, kMaxConfigFileBytes + 1);
    if (!bytes || bytes->size() > kMaxConfigFileBytes) {
        findings.push_back({Severity::Error, "file-too-large", kCatalogueFile, 0,
                            L"the catalogue is larger than the program reads (4 MB): it reads as empty"});
        return;
    }
    const ProfileOutline outline = OutlineProfile(*bytes);
    ConfigFile config(*path);
    const CatalogueSurvey survey = SurveyCatalogue(config, outline);

    const IniFileView file{kCatalogueFile, outline, survey.reads};
    CheckRepeatedNames(file, findings);
    CheckValueLengths(file, findings);
    CheckUnreadNames(file, CatalogueUnreadRules(survey), findings);

    const CatalogueView view{discRoot, kCatalogueFile, config, outline, survey};
    CheckCounts(view, findings);
    CheckItemTypes(view, findings);
    CheckItemsNeverKept(view, findings);
    CheckItemReferences(view, findings);
    CheckVersionsAndDates(view, findings);
    CheckOsNames(view, findings);
    CheckLanguages(view, findings);
    CheckItemFiles(view, findings);
    CheckTimeLimits(view, findings);
}

}  // namespace

Findings CheckDisc(const std::filesystem::path& discRoot) {
    Findings findings;
    CheckCatalogue(discRoot, findings);
    CheckSkins(discRoot, findings);
    CheckTextFiles(discRoot, findings);
    SortFindings(findings);
    return findings;
}

}  // namespace tavelin
