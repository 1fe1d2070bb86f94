#include "probe/os_key.h"

#include <iterator>

#include "config/text.h"

namespace tavelin {
namespace {

// Vista generation editions, indexed by the SDK product-type value.
constexpr const wchar_t* kVistaSuffixes[] = {
    L"_UNDEFINED",
    L"_ULTIMATE",
    L"_HOME_BASIC",
    L"_HOME_PREMIUM",
    L"_ENTERPRISE",
    L"_HOME_BASIC_N",
    L"_BUSINESS",
    L"_STANDARD_SERVER",
    L"_DATACENTER_SERVER",
    L"_SMALLBUSINESS_SERVER",
    L"_ENTERPRISE_SERVER",
    L"_STARTER",
    L"_DATACENTER_SERVER_CORE",
    L"_STANDARD_SERVER_CORE",
    L"_ENTERPRISE_SERVER_CORE",
    L"_ENTERPRISE_SERVER_IA64",
    L"_BUSINESS_N",
    L"_WEB_SERVER",
    L"_CLUSTER_SERVER",
    L"_HOME_SERVER",
    L"_STORAGE_EXPRESS_SERVER",
    L"_STORAGE_STANDARD_SERVER",
    L"_STORAGE_WORKGROUP_SERVER",
    L"_STORAGE_ENTERPRISE_SERVER",
    L"_SERVER_FOR_SMALLBUSINESS",
    L"_SMALLBUSINESS_SERVER_PREMIUM",
};
static_assert(std::size(kVistaSuffixes) == 26, "product types 0 to 25");

std::wstring VistaSuffix(const OsFacts& facts) {
    if (!facts.productInfoAvailable || !facts.productInfoReturned) return {};
    // An unlicensed copy reports this marker; the discs treat it as the full edition.
    if (facts.productInfoType == kProductUnlicensed) return L"_ULTIMATE";
    if (facts.productInfoType < std::size(kVistaSuffixes)) return kVistaSuffixes[facts.productInfoType];
    return {};
}

std::wstring Server2003Suffix(const OsFacts& facts) {
    if (facts.serverR2) return L"_2003R2";
    const bool amd64 = facts.nativeSystemInfoAvailable && facts.nativeArchitecture == kArchitectureAmd64;
    if (facts.productType == kProductTypeWorkstation && amd64) return L"_XP64";
    return L"_2003";
}

std::wstring XpSuffix(const OsFacts& facts) {
    if (facts.tabletPc) return L"_TABLET";
    if (facts.mediaCenter) return L"_MCE";
    if (facts.starter) return L"_STARTER";
    return L"_XP";
}

}  // namespace

std::wstring BuildOsKey(const OsFacts& facts) {
    if (!facts.versionQueryOk || facts.platformId != kPlatformWin32Nt) return {};
    const std::wstring base = L"WNT_" + std::to_wstring(facts.majorVersion) + L"." +
                              std::to_wstring(facts.minorVersion);
    if (facts.majorVersion == 6 && facts.minorVersion == 0) return base + VistaSuffix(facts);
    if (facts.majorVersion == 5 && facts.minorVersion == 2) return base + Server2003Suffix(facts);
    if (facts.majorVersion == 5 && facts.minorVersion == 1) return base + XpSuffix(facts);
    return {};
}

namespace {

OsFacts VersionFacts(std::uint32_t majorVersion, std::uint32_t minorVersion) {
    OsFacts facts;
    facts.versionQueryOk = true;
    facts.platformId = kPlatformWin32Nt;
    facts.majorVersion = majorVersion;
    facts.minorVersion = minorVersion;
    facts.productType = kProductTypeWorkstation;
    return facts;
}

// Every set of answers that gives a distinct key for the version, the plain one first.
std::vector<OsFacts> EditionFacts(std::uint32_t majorVersion, std::uint32_t minorVersion) {
    const OsFacts plain = VersionFacts(majorVersion, minorVersion);
    std::vector<OsFacts> all{plain};
    if (majorVersion == 6 && minorVersion == 0) {
        for (std::uint32_t type = 0; type < std::size(kVistaSuffixes); ++type) {
            OsFacts facts = plain;
            facts.productInfoAvailable = facts.productInfoReturned = true;
            facts.productInfoType = type;
            all.push_back(facts);
        }
    } else if (majorVersion == 5 && minorVersion == 2) {
        OsFacts server = plain;
        server.productType = 3;
        OsFacts r2 = server;
        r2.serverR2 = true;
        OsFacts xp64 = plain;
        xp64.nativeSystemInfoAvailable = true;
        xp64.nativeArchitecture = kArchitectureAmd64;
        all = {server, r2, xp64};
    } else if (majorVersion == 5 && minorVersion == 1) {
        OsFacts tablet = plain, mediaCenter = plain, starter = plain;
        tablet.tabletPc = true;
        mediaCenter.mediaCenter = true;
        starter.starter = true;
        all.insert(all.end(), {tablet, mediaCenter, starter});
    }
    return all;
}

std::wstring EditionOfKey(const std::wstring& key, std::uint32_t majorVersion, std::uint32_t minorVersion) {
    const std::wstring base = L"WNT_" + std::to_wstring(majorVersion) + L"." + std::to_wstring(minorVersion);
    return key.size() > base.size() + 1 ? key.substr(base.size() + 1) : std::wstring();
}

}  // namespace

std::optional<OsFacts> OsFactsOfEdition(std::uint32_t majorVersion, std::uint32_t minorVersion,
                                        const std::wstring& edition) {
    const std::vector<OsFacts> editions = EditionFacts(majorVersion, minorVersion);
    if (BuildOsKey(editions.front()).empty()) return editions.front();
    for (const OsFacts& facts : editions) {
        if (EqualsNoCase(EditionOfKey(BuildOsKey(facts), majorVersion, minorVersion), edition)) return facts;
    }
    return std::nullopt;
}

std::wstring OsEdition(const OsFacts& facts) {
    return EditionOfKey(BuildOsKey(facts), facts.majorVersion, facts.minorVersion);
}

std::vector<std::wstring> EditionsOf(std::uint32_t majorVersion, std::uint32_t minorVersion) {
    std::vector<std::wstring> names;
    for (const OsFacts& facts : EditionFacts(majorVersion, minorVersion)) {
        const std::wstring key = BuildOsKey(facts);
        if (!key.empty()) names.push_back(EditionOfKey(key, majorVersion, minorVersion));
    }
    return names;
}

std::wstring LanguageCodeText(std::uint16_t languageId) {
    static constexpr wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring text(4, L'0');
    for (int i = 3; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = kDigits[languageId & 0xF];
        languageId = static_cast<std::uint16_t>(languageId >> 4);
    }
    return text;
}

MachineFacts BuildMachineFacts(const OsFacts& facts) {
    MachineFacts result;
    // Bitness stands on its own: it is decided even when the version cannot be read. A 64-bit
    // process only runs on 64-bit Windows; a 32-bit one learns it from IsWow64Process.
    result.m_b64Bit = facts.is64BitProcess || (facts.isWow64ProcessAvailable && facts.isWow64);
    if (!facts.versionQueryOk || facts.platformId != kPlatformWin32Nt) return result;
    result.m_szOSKey = BuildOsKey(facts);
    result.m_szLanguageCode = LanguageCodeText(facts.languageId);
    return result;
}

}  // namespace tavelin
