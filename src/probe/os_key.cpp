#include "probe/os_key.h"

#include <iterator>

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
