#include "authoring/catalogue_checks.h"

#include <functional>
#include <set>

#include "authoring/disc_files.h"
#include "authoring/ini_checks.h"
#include "config/text.h"
#include "evaluate/version_compare.h"
#include "install/command_line.h"
#include "install/installer_seal.h"
#include "authoring/disc_seal.h"
#include "authoring/disc_files.h"

namespace tavelin {

namespace {

// The program's own texts are English: a language mapped to this tag needs no language library.
const std::wstring kProgramLanguageTag = L"ENG";

std::wstring ItemSection(std::int32_t itemNo) { return L"Item_" + DecimalText(itemNo); }

Finding At(const CatalogueView& view, Severity severity, const char* check, std::int32_t itemNo,
           const std::wstring& key, std::wstring message) {
    return {severity, check, view.file, LineOf(view.outline, ItemSection(itemNo), key), std::move(message)};
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// An item the disc defines: a section within the item count, kept on some machine or not.
bool ItemExists(const CatalogueView& view, std::uint32_t itemNo) {
    return itemNo >= 1 && static_cast<long long>(itemNo) <= view.survey.itemQuantity &&
           view.outline.FindSection(ItemSection(static_cast<std::int32_t>(itemNo))) != nullptr;
}

struct ItemList_ {
    const wchar_t* key;
    const std::vector<std::uint32_t> CItem::*numbers;
};
const ItemList_ kItemLists[] = {
    {L"Dependence", &CItem::m_arrDependence},
    {L"Visible_If_Item_Exist", &CItem::m_arrVisibleIfExist},
    {L"Invisible_If_Item_Exist", &CItem::m_arrInvisibleIfExist},
    {L"Visible_If_Item_Not_Exist", &CItem::m_arrVisibleIfNotExist},
    {L"Invisible_If_Item_Not_Exist", &CItem::m_arrInvisibleIfNotExist},
};

void CheckListEntries(const CatalogueView& view, const CItem& item, const ItemList_& list, Findings& findings) {
    const std::wstring value = view.config.ReadIniValue(ItemSection(item.m_nItemNo), list.key);
    if (value.empty()) return;
    // Each entry alone through the loader's own list reading: an entry it does not take as an item
    // is silently left out of the list.
    for (const std::wstring& entry : SplitList(value, L",")) {
        if (entry.empty() || !ParseItemNumberList(entry).empty()) continue;
        findings.push_back(At(view, Severity::Error, "item-reference-unread", item.m_nItemNo, list.key,
                              Quoted(entry) + L" in " + list.key + L" is not read as an item: entries are written \"Item_<number>\", "
                              L"with that spelling and case"));
    }
    for (std::uint32_t number : item.*list.numbers) {
        if (number == 0 || ItemExists(view, number)) continue;
        findings.push_back(At(view, Severity::Error, "item-reference-missing", item.m_nItemNo, list.key,
                              std::wstring(list.key) + L" names Item_" + DecimalText(number) +
                                  L", which the disc does not define (no such section within Item_Quantity)"));
    }
}

void CheckDependenceCycles(const CatalogueView& view, Findings& findings) {
    enum class Mark { None, OnPath, Done };
    std::map<std::int32_t, Mark> marks;
    std::vector<std::int32_t> path;
    std::set<std::set<std::int32_t>> reported;
    std::function<void(std::int32_t)> visit = [&](std::int32_t itemNo) {
        marks[itemNo] = Mark::OnPath;
        path.push_back(itemNo);
        const auto found = view.survey.items.find(itemNo);
        if (found != view.survey.items.end()) {
            for (std::uint32_t next : found->second->m_arrDependence) {
                const auto nextNo = static_cast<std::int32_t>(next);
                if (next == 0 || view.survey.items.count(nextNo) == 0) continue;
                if (marks[nextNo] == Mark::OnPath) {
                    const auto start = std::find(path.begin(), path.end(), nextNo);
                    std::set<std::int32_t> members(start, path.end());
                    if (!reported.insert(members).second) continue;
                    std::wstring chain;
                    for (auto it = start; it != path.end(); ++it) chain += ItemSection(*it) + L" -> ";
                    chain += ItemSection(nextNo);
                    findings.push_back(At(view, Severity::Error, "dependence-cycle", *start, L"Dependence",
                                          L"the items depend on one another in a circle: " + chain));
                } else if (marks[nextNo] == Mark::None) {
                    visit(nextNo);
                }
            }
        }
        path.pop_back();
        marks[itemNo] = Mark::Done;
    };
    for (const auto& [itemNo, item] : view.survey.items) {
        if (marks[itemNo] == Mark::None) visit(itemNo);
    }
}

bool FileExistsOnDisc(const CatalogueView& view, const std::wstring& relative) {
    return FindOnDisc(view.discRoot, relative).has_value();
}

}  // namespace

void CheckItemReferences(const CatalogueView& view, Findings& findings) {
    for (const auto& [itemNo, item] : view.survey.items) {
        for (const ItemList_& list : kItemLists) CheckListEntries(view, *item, list, findings);
    }
    CheckDependenceCycles(view, findings);
}

void CheckCounts(const CatalogueView& view, Findings& findings) {
    if (view.survey.itemQuantity > kMaxCatalogueItems) {
        findings.push_back({Severity::Error, "count-beyond-bound", view.file, LineOf(view.outline, L"Items", L"Item_Quantity"),
                            L"Item_Quantity is " + DecimalText(view.survey.itemQuantity) + L"; the program reads at most " +
                                DecimalText(kMaxCatalogueItems) + L" items"});
    }
    long long budget = kMaxHardwareIdsPerCatalogue;
    for (const auto& [itemNo, item] : view.survey.items) {
        const int count = item->m_nHwIdCount;
        if (count > kMaxHardwareIdsPerItem) {
            findings.push_back(At(view, Severity::Error, "count-beyond-bound", itemNo, L"HW_ID_Quantity",
                                  L"HW_ID_Quantity is " + DecimalText(count) + L"; the program reads at most " +
                                      DecimalText(kMaxHardwareIdsPerItem) + L" hardware ids per item"));
        }
        const long long records = std::min<long long>(count, kMaxHardwareIdsPerItem);
        if (records > 0 && records > budget) {
            findings.push_back(At(view, Severity::Error, "count-beyond-bound", itemNo, L"HW_ID_Quantity",
                                  L"the disc's hardware ids pass " + DecimalText(kMaxHardwareIdsPerCatalogue) +
                                      L" here; the program reads no more than that for the whole disc"));
        }
        if (records > 0) budget -= std::min(records, std::max(budget, 0LL));
    }
}

void CheckItemTypes(const CatalogueView& view, Findings& findings) {
    for (const auto& [itemNo, item] : view.survey.items) {
        if (item->m_nType != ITEM_TYPE_UNKNOWN) continue;
        const std::wstring type = view.config.ReadIniValue(ItemSection(itemNo), L"Type");
        findings.push_back(At(view, Severity::Error, "type-unknown", itemNo, L"Type",
                              (type.empty() ? std::wstring(L"the item has no Type") : L"Type " + Quoted(type) + L" is unknown") +
                                  L": the program never lists it (types: DRIVER, RECOMMENDED_APPLICATION, "
                                  L"OPTIONAL_APPLICATION, HOTFIX)"));
    }
}

void CheckItemsNeverKept(const CatalogueView& view, Findings& findings) {
    for (const auto& [itemNo, dropped] : view.survey.neverLoaded) {
        if (view.outline.FindSection(ItemSection(itemNo)) == nullptr) continue;  // a gap: nothing there
        switch (dropped.reason) {
        case DropReason::Bitness:
            findings.push_back(At(view, Severity::Error, "item-never-kept", itemNo, L"System_Type",
                                  L"System_Type " + Quoted(dropped.value) +
                                      L" names neither 32BIT nor 64BIT: no Windows keeps this item"));
            break;
        case DropReason::NoTitle:
            findings.push_back({Severity::Error, "item-never-kept", view.file,
                                LineOf(view.outline, ItemSection(itemNo), L""),
                                L"[" + ItemSection(itemNo) + L"] has no title in any language (\"Title_ENG\" at least): "
                                L"the program never lists it"});
            break;
        case DropReason::Model:
            break;  // a model the survey did not stand for: nothing certain to say
        }
    }
}

void CheckVersionsAndDates(const CatalogueView& view, Findings& findings) {
    for (const auto& [itemNo, item] : view.survey.items) {
        const bool isDriver = item->m_nType == ITEM_TYPE_DRIVER;
        for (const CVersion& version : item->m_pVersionList) {
            const std::wstring key = isDriver ? L"Version_" + DecimalText(version.m_nIndex) : L"Version";
            if (version.m_strVersion.empty()) {
                if (isDriver) {
                    findings.push_back(At(view, Severity::Error, "version-unreadable", itemNo, key,
                                          key + L" is missing: the program cannot compare this driver with the installed one"));
                }
            } else if (!IsReadableVersion(version.m_strVersion)) {
                findings.push_back(At(view, Severity::Error, "version-unreadable", itemNo, key,
                                      key + L" " + Quoted(version.m_strVersion) +
                                          L" has a part without digits, which the comparison reads as 0"));
            }
        }
        if (!isDriver) continue;
        for (const CDate& date : item->m_pDateList) {
            const std::wstring key = L"Date_" + DecimalText(date.m_nIndex);
            if (IsReadableDate(date.m_strDate)) continue;
            findings.push_back(At(view, Severity::Error, "date-unreadable", itemNo, key,
                                  key + L" " + Quoted(date.m_strDate) +
                                      L" is not a month-day-year date such as 10-18-2006, so the comparison cannot "
                                      L"tell it from the installed driver's"));
        }
    }
}

void CheckOsNames(const CatalogueView& view, Findings& findings) {
    auto known = [&](const std::wstring& name) {
        for (const std::wstring& osName : view.survey.osNames) {
            if (EqualsNoCase(osName, name)) return true;
        }
        return false;
    };
    auto checkList = [&](const std::wstring& section, const std::wstring& key) {
        const std::wstring value = view.config.ReadIniValue(section, key);
        if (value.empty()) return;
        for (const std::wstring& entry : SplitList(value, L",")) {
            if (entry.empty() || known(entry)) continue;
            findings.push_back({Severity::Error, "os-name-unmapped", view.file, LineOf(view.outline, section, key),
                                key + L" names " + Quoted(entry) +
                                    L", which no OS key maps to in [OS_Language_Tag]: no Windows ever matches it"});
        }
    };
    checkList(L"Driver_CD", L"OS_VERSION");
    for (const auto& [itemNo, item] : view.survey.items) checkList(ItemSection(itemNo), L"OS_Version");
}

void CheckLanguages(const CatalogueView& view, Findings& findings) {
    std::set<std::wstring> tags;
    for (const auto& [code, tag] : view.survey.languageTags) {
        const int line = LineOf(view.outline, L"OS_Language_Tag", code);
        if (tag.size() > kMaxTagLength) {
            findings.push_back({Severity::Error, "value-cut", view.file, line,
                                L"the tag of language " + code + L" is longer than " +
                                    DecimalText(static_cast<long long>(kMaxTagLength)) + L" characters; the program cuts it"});
        }
        if (!tag.empty()) tags.insert(ToUpperText(tag));
        if (!tag.empty() && !EqualsNoCase(tag, kProgramLanguageTag) &&
            !FileExistsOnDisc(view, L"Lib\\" + code + L".DLL")) {
            findings.push_back({Severity::Warning, "language-no-library", view.file, line,
                                L"language " + code + L" is mapped to " + Quoted(tag) + L" but Lib\\" + code +
                                    L".DLL is missing: the program's own texts stay English there"});
        }
    }
    for (const std::wstring& tag : tags) {
        if (!view.config.ReadIniValue(L"Driver_CD", LocalizedKey(LocalizedBase::Title, tag)).empty()) continue;
        findings.push_back({Severity::Warning, "language-no-title", view.file, LineOf(view.outline, L"Driver_CD", L""),
                            L"the language tag " + Quoted(tag) + L" has no disc title (\"" +
                                LocalizedKey(LocalizedBase::Title, tag) + L"\" in [Driver_CD]): the window shows the English one"});
    }
    for (const auto& [itemNo, item] : view.survey.items) {
        for (const CLanguage_ID& language : item->m_pLanguageList) {
            if (language.m_strLanguage.empty() || tags.count(ToUpperText(language.m_strLanguage)) > 0) continue;
            findings.push_back(At(view, Severity::Warning, "language-unmapped", itemNo, L"Language_ID",
                                  L"Language_ID names " + Quoted(language.m_strLanguage) +
                                      L", which no language maps to in [OS_Language_Tag]: it never matches"));
        }
    }
}

namespace {

// Whether the catalogue seals any command: a disc that seals some of its installers means to seal
// them all, and one it left out is reported; a disc never sealed is not.
bool SealsAny(const CatalogueView& view) {
    for (const auto& [itemNo, item] : view.survey.items) {
        if (!item->m_strInstallSHA256.empty() || !item->m_strUninstallSHA256.empty()) return true;
    }
    return false;
}

// A sealed program must be the file on the disc; an unsealed one runs whatever is put in its place.
void CheckSeal(const CatalogueView& view, std::int32_t itemNo, const std::wstring& program, const wchar_t* commandKey,
               const wchar_t* sealKey, const std::wstring& seal, bool sealsAny, Findings& findings) {
    const auto file = FindOnDisc(view.discRoot, program);
    if (!file || !std::filesystem::is_regular_file(*file)) return;
    if (seal.empty()) {
        if (!sealsAny) return;
        findings.push_back(At(view, Severity::Warning, "seal-missing", itemNo, commandKey,
                              std::wstring(sealKey) + L" is missing: " + Quoted(program) +
                                  L" runs with administrator rights whatever file is put in its place (tavelin-disc seal writes it)"));
        return;
    }
    const std::optional<Sha256Digest> expected = ParseSha256Text(seal);
    if (!expected) {
        findings.push_back(At(view, Severity::Error, "seal-unreadable", itemNo, sealKey,
                              std::wstring(sealKey) + L" is not 64 hexadecimal digits: " + Quoted(program) +
                                  L" never starts"));
        return;
    }
    const std::optional<Sha256Digest> actual = DiscFileSha256(*file);
    if (actual && *actual == *expected) return;
    findings.push_back(At(view, Severity::Error, "seal-mismatch", itemNo, sealKey,
                          std::wstring(sealKey) + L" is not the SHA-256 of " + Quoted(program) +
                              (actual ? L" (" + Sha256Text(*actual) + L")" : std::wstring(L" (unreadable)")) +
                              L": the program never starts it"));
}

}  // namespace

void CheckItemFiles(const CatalogueView& view, Findings& findings) {
    struct Command {
        const wchar_t* key;
        const std::wstring CItem::*text;
        const wchar_t* sealKey;
        const std::wstring CItem::*seal;
    };
    const Command commands[] = {
        {L"Slient_Install_Cmd", &CItem::m_strInstallCmd, kInstallSealKey, &CItem::m_strInstallSHA256},
        {L"Slient_Uninstall_Cmd", &CItem::m_strUninstallCmd, kUninstallSealKey, &CItem::m_strUninstallSHA256}};
    const bool sealsAny = SealsAny(view);
    for (const auto& [itemNo, item] : view.survey.items) {
        if (item->m_nType == ITEM_TYPE_UNKNOWN) continue;
        if (item->m_strInstallCmd.empty()) {
            findings.push_back(At(view, Severity::Error, "install-command-missing", itemNo, L"Slient_Install_Cmd",
                                  L"the item has no Slient_Install_Cmd: checking it starts nothing"));
        }
        for (const Command& command : commands) {
            const std::wstring& text = (*item).*command.text;
            if (text.empty()) continue;
            const std::wstring program = TrimWhiteSpace(ProgramPathOf(text));
            if (FileExistsOnDisc(view, program)) {
                CheckSeal(view, itemNo, program, command.key, command.sealKey, (*item).*command.seal, sealsAny, findings);
                continue;
            }
            findings.push_back(At(view, Severity::Error, "file-missing", itemNo, command.key,
                                  std::wstring(command.key) + L" starts " + Quoted(program) + L", which is not on the disc"));
        }
    }
}

}  // namespace tavelin

namespace tavelin {

namespace {

bool IsPositiveNumber(const std::wstring& value) {
    if (value.empty() || value.size() > 9) return false;
    for (wchar_t c : value) {
        if (c < L'0' || c > L'9') return false;
    }
    return ParseLeadingInt(value) > 0;
}

}  // namespace

void CheckTimeLimits(const CatalogueView& view, Findings& findings) {
    const wchar_t kKey[] = L"Install_Timeout";
    auto check = [&](const std::wstring& section) {
        const OutlineKey* key = view.outline.FindKey(section, kKey);
        if (key == nullptr || !key->hasValue) return;
        const std::wstring value = view.config.ReadIniValue(section, kKey);
        if (IsPositiveNumber(value)) return;
        findings.push_back({Severity::Error, "timeout-invalid", view.file, key->line,
                            std::wstring(kKey) + L" " + Quoted(value) + L" in [" + section +
                                L"] is not a number of seconds above 0: the program reads it as " +
                                (ParseTimeoutSeconds(value) > 0 ? DecimalText(ParseTimeoutSeconds(value)) + L" s"
                                                                : std::wstring(L"no time limit"))});
    };
    check(L"Driver_CD");
    for (const auto& [itemNo, item] : view.survey.items) check(ItemSection(itemNo));
}

}  // namespace tavelin
