#include "authoring/catalogue_survey.h"

#include <cwctype>

#include "config/disc_checks.h"
#include "config/text.h"
#include "install/restore_point.h"
#include "probe/os_key.h"

namespace tavelin {

namespace {

// A disc naming more models than this is surveyed for the first ones only; the checks of items
// kept by no surveyed model then say so.
constexpr std::size_t kMaxSurveyedModels = 64;

}  // namespace

namespace {

class SilentSink : public MessageSink {
public:
    void ShowMessage(const std::wstring&) override {}
};

std::vector<std::wstring> ModelsNamed(const ConfigFile& config, const ProfileOutline& outline) {
    std::set<std::wstring> models;
    std::vector<std::wstring> ordered{L""};
    auto add = [&](const std::wstring& list) {
        if (list.empty()) return;
        for (const std::wstring& entry : SplitList(ToUpperText(list), L",")) {
            const std::wstring model = TrimWhiteSpace(entry);
            if (ordered.size() < kMaxSurveyedModels && models.insert(model).second) ordered.push_back(model);
        }
    };
    for (const OutlineSection& section : outline.sections) {
        if (!section.repeated) add(config.ReadIniValue(section.name, L"Model"));
    }
    return ordered;
}

}  // namespace

bool CatalogueSurvey::WasRead(const std::wstring& section, const std::wstring& key) const {
    const auto found = reads.find(FoldName(section));
    return found != reads.end() && found->second.keys.count(FoldName(key)) > 0;
}

bool CatalogueSurvey::WasRead(const std::wstring& section) const { return reads.count(FoldName(section)) > 0; }

bool IsLanguageCodeKey(const std::wstring& key) {
    if (key.size() != 4) return false;
    for (wchar_t c : key) {
        if (!std::iswxdigit(static_cast<wint_t>(c)) || c > 0x7F) return false;
    }
    return true;
}

const std::set<std::wstring>& KnownOsKeys() {
    // Every answer that changes the key, tried through the program's own key builder.
    static const std::set<std::wstring> keys = [] {
        std::set<std::wstring> found;
        OsFacts facts;
        facts.versionQueryOk = true;
        facts.platformId = kPlatformWin32Nt;
        for (std::uint32_t major = 3; major <= 10; ++major) {
            for (std::uint32_t minor = 0; minor <= 4; ++minor) {
                facts.majorVersion = major;
                facts.minorVersion = minor;
                for (std::uint8_t productType = 0; productType <= 3; ++productType) {
                    facts.productType = productType;
                    for (int flags = 0; flags < 64; ++flags) {
                        facts.tabletPc = flags & 1;
                        facts.mediaCenter = flags & 2;
                        facts.starter = flags & 4;
                        facts.serverR2 = flags & 8;
                        facts.nativeSystemInfoAvailable = flags & 16;
                        facts.nativeArchitecture = (flags & 32) ? kArchitectureAmd64 : 0;
                        for (std::uint32_t product = 0; product <= 40; ++product) {
                            facts.productInfoAvailable = product < 40;
                            facts.productInfoReturned = product < 40;
                            facts.productInfoType = product == 39 ? kProductUnlicensed : product;
                            const std::wstring key = BuildOsKey(facts);
                            if (!key.empty()) found.insert(key);
                        }
                    }
                }
            }
        }
        return found;
    }();
    return keys;
}

CatalogueSurvey SurveyCatalogue(ConfigFile& config, const ProfileOutline& outline) {
    CatalogueSurvey survey;
    if (const OutlineSection* tags = outline.FindSection(L"OS_Language_Tag")) {
        for (const OutlineKey& key : tags->keys) {
            if (key.repeated || !key.hasValue) continue;
            const std::wstring value = config.ReadIniValue(L"OS_Language_Tag", key.name);
            if (IsLanguageCodeKey(key.name)) {
                survey.languageTags[FoldName(key.name)] = value;
            } else if (KnownOsKeys().count(ToUpperText(key.name)) > 0 && !value.empty()) {
                survey.osNames.push_back(value);
            }
        }
    }
    std::vector<std::wstring> languages{L""};
    for (const auto& [code, tag] : survey.languageTags) languages.push_back(code);
    const std::vector<std::wstring> models = ModelsNamed(config, outline);

    ReadRecorder notes(survey.reads);
    config.SetReadObserver(&notes);
    SilentSink silent;
    for (const std::wstring& language : languages) {
        for (const bool is64Bit : {false, true}) {
            MachineFacts facts;
            facts.m_b64Bit = is64Bit;
            facts.m_szLanguageCode = language;
            ReadDiscTitle(config, language);
            DiscAllowsRestorePoint(config);
            CheckOperatingSystem(config, facts, false, L"", silent);
            for (const std::wstring& model : models) {
                CheckMachineModel(config, model);
                LoadedCatalogue loaded = LoadCatalogue(config, facts, model);
                survey.itemQuantity = loaded.m_nItemQuantity;
                for (auto& item : loaded.m_pItemList) {
                    survey.neverLoaded.erase(item->m_nItemNo);
                    survey.items.try_emplace(item->m_nItemNo, std::move(item));
                }
                for (DroppedItem& dropped : loaded.m_droppedItems) {
                    if (survey.items.count(dropped.itemNo) == 0) survey.neverLoaded[dropped.itemNo] = dropped;
                }
            }
        }
    }
    config.SetReadObserver(nullptr);
    return survey;
}

}  // namespace tavelin
