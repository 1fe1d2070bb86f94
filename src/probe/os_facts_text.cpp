#include "probe/os_facts_text.h"

#include <cstdio>

namespace tavelin {
namespace {

std::wstring Hex(std::uint32_t value, int digits) {
    wchar_t text[16] = {};
    std::swprintf(text, 16, L"0x%0*X", digits, static_cast<unsigned>(value));
    return text;
}

const wchar_t* YesNo(bool value) { return value ? L"yes" : L"no"; }

std::wstring EditionsText(const OsFacts& facts) {
    std::wstring editions;
    const struct {
        bool present;
        const wchar_t* name;
    } kEditions[] = {{facts.tabletPc, L"Tablet PC"},
                     {facts.mediaCenter, L"Media Center"},
                     {facts.starter, L"Starter"},
                     {facts.serverR2, L"Server R2"}};
    for (const auto& edition : kEditions) {
        if (!edition.present) continue;
        if (!editions.empty()) editions += L" + ";
        editions += edition.name;
    }
    return editions.empty() ? L"none" : editions;
}

}  // namespace

std::wstring OsFactsText(const OsFacts& facts) {
    std::wstring text;
    if (facts.versionQueryOk) {
        text = L"version " + std::to_wstring(facts.majorVersion) + L"." + std::to_wstring(facts.minorVersion) +
               L", platform " + std::to_wstring(facts.platformId) + L", product type " +
               std::to_wstring(facts.productType);
    } else {
        text = L"version unknown";
    }
    text += L", product info ";
    if (!facts.productInfoAvailable) {
        text += L"not available";
    } else if (!facts.productInfoReturned) {
        text += L"unknown";
    } else {
        text += Hex(facts.productInfoType, 8);
    }
    text += L", native architecture " +
            (facts.nativeSystemInfoAvailable ? std::to_wstring(facts.nativeArchitecture) : std::wstring(L"not available"));
    text += L", WOW64 " + std::wstring(facts.isWow64ProcessAvailable ? YesNo(facts.isWow64) : L"not available");
    text += L", 64-bit process " + std::wstring(YesNo(facts.is64BitProcess));
    text += L", editions " + EditionsText(facts);
    text += L", language " + Hex(facts.languageId, 4);
    return text;
}

}  // namespace tavelin
