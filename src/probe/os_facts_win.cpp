#include "probe/os_facts_win.h"

#include <windows.h>

#include "probe/entry_point_win.h"

namespace tavelin {
namespace {

using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
using GetProductInfoFunction = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);
using GetNativeSystemInfoFunction = void(WINAPI*)(LPSYSTEM_INFO);
using GetUserDefaultUILanguageFunction = LANGID(WINAPI*)();

// Sizes of the extended and the plain version record; Windows tells the layouts apart by them.
constexpr DWORD kExtendedVersionRecordSize = 284;
constexpr DWORD kPlainVersionRecordSize = 276;
static_assert(sizeof(OSVERSIONINFOEXW) == kExtendedVersionRecordSize, "extended record layout");
static_assert(sizeof(OSVERSIONINFOW) == kPlainVersionRecordSize, "plain record layout");

// Neither exists on every system the discs support; they are looked up once per process and kept.
struct OptionalKernelEntryPoints {
    IsWow64ProcessFunction isWow64Process = nullptr;
    GetProductInfoFunction getProductInfo = nullptr;
};

const OptionalKernelEntryPoints& KernelEntryPoints() {
    static const OptionalKernelEntryPoints entryPoints = [] {
        OptionalKernelEntryPoints found;
        HMODULE kernel = GetModuleHandleW(L"kernel32");
        found.isWow64Process = FindEntryPoint<IsWow64ProcessFunction>(kernel, "IsWow64Process");
        found.getProductInfo = FindEntryPoint<GetProductInfoFunction>(kernel, "GetProductInfo");
        return found;
    }();
    return entryPoints;
}

}  // namespace

void LookUpOptionalEntryPoints() {
    KernelEntryPoints();
}

namespace {

void GatherWow64(OsFacts& facts) {
    facts.is64BitProcess = sizeof(void*) == 8;
    const auto isWow64Process = KernelEntryPoints().isWow64Process;
    if (isWow64Process == nullptr) return;
    facts.isWow64ProcessAvailable = true;
    BOOL wow64 = FALSE;
    if (isWow64Process(GetCurrentProcess(), &wow64)) facts.isWow64 = wow64 != FALSE;
}

void GatherVersion(OsFacts& facts) {
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = kExtendedVersionRecordSize;
    BOOL ok = GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version));
    if (!ok) {
        // Systems before NT 4 SP6 only know the plain record; the product type then stays 0.
        version = OSVERSIONINFOEXW{};
        version.dwOSVersionInfoSize = kPlainVersionRecordSize;
        ok = GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version));
    }
    if (!ok) return;
    facts.versionQueryOk = true;
    facts.platformId = version.dwPlatformId;
    facts.majorVersion = version.dwMajorVersion;
    facts.minorVersion = version.dwMinorVersion;
    facts.productType = version.wProductType;
}

void GatherProductInfo(OsFacts& facts) {
    const auto getProductInfo = KernelEntryPoints().getProductInfo;
    if (getProductInfo == nullptr || !facts.versionQueryOk) return;
    facts.productInfoAvailable = true;
    DWORD productType = 0;
    facts.productInfoReturned = getProductInfo(facts.majorVersion, facts.minorVersion, 0, 0, &productType) != 0;
    facts.productInfoType = productType;
}

void GatherNativeArchitecture(OsFacts& facts) {
    const auto getNativeSystemInfo = FindEntryPoint<GetNativeSystemInfoFunction>(GetModuleHandleW(L"kernel32.dll"), "GetNativeSystemInfo");
    if (getNativeSystemInfo == nullptr) return;
    facts.nativeSystemInfoAvailable = true;
    SYSTEM_INFO info{};
    getNativeSystemInfo(&info);
    facts.nativeArchitecture = info.wProcessorArchitecture;
}

void GatherEditionMetrics(OsFacts& facts) {
    // SM_TABLETPC, SM_MEDIACENTER, SM_STARTER, SM_SERVERR2: not all are in older SDK headers.
    facts.tabletPc = GetSystemMetrics(86) != 0;
    facts.mediaCenter = GetSystemMetrics(87) != 0;
    facts.starter = GetSystemMetrics(88) != 0;
    facts.serverR2 = GetSystemMetrics(89) != 0;
}

void GatherLanguage(OsFacts& facts) {
    // Windows 2000 and later know the UI language; earlier systems only the system locale.
    const auto getUserDefaultUILanguage =
        FindEntryPoint<GetUserDefaultUILanguageFunction>(GetModuleHandleW(L"kernel32"), "GetUserDefaultUILanguage");
    facts.languageId = getUserDefaultUILanguage != nullptr ? getUserDefaultUILanguage() : GetSystemDefaultLangID();
}

}  // namespace

OsFacts GatherOsFacts() {
    OsFacts facts;
    GatherWow64(facts);
    GatherVersion(facts);
    GatherProductInfo(facts);
    GatherNativeArchitecture(facts);
    GatherEditionMetrics(facts);
    GatherLanguage(facts);
    return facts;
}

MachineFacts IdentifyOperatingSystem() { return BuildMachineFacts(GatherOsFacts()); }

}  // namespace tavelin
