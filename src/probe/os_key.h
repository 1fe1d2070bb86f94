// Turning the raw answers of the Windows version functions into the machine facts the disc is
// checked against: the OS key, 64-bit Windows, the language code. Kept apart from the calls so that
// editions Wine cannot simulate (Media Center, R2, every Vista product type) are tested here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/machine_facts.h"

namespace tavelin {

// What the version functions answered, as they answered it. Unanswered fields keep their zeros.
struct OsFacts {
    // GetVersionExW, extended record first, plain record second.
    bool versionQueryOk = false;
    std::uint32_t platformId = 0;
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
    std::uint8_t productType = 0;  // 1 = workstation; 0 when only the plain record was read

    // GetProductInfo(major, minor, 0, 0).
    bool productInfoAvailable = false;
    bool productInfoReturned = false;  // the call returned non-zero
    std::uint32_t productInfoType = 0;

    // GetNativeSystemInfo.
    bool nativeSystemInfoAvailable = false;
    std::uint16_t nativeArchitecture = 0;

    // GetSystemMetrics 86 to 89, non-zero answers.
    bool tabletPc = false;     // 86
    bool mediaCenter = false;  // 87
    bool starter = false;      // 88
    bool serverR2 = false;     // 89

    // IsWow64Process on the current process.
    bool isWow64ProcessAvailable = false;
    bool isWow64 = false;
    // The program itself is a 64-bit process. IsWow64Process answers false there, although the
    // Windows it runs on is 64-bit.
    bool is64BitProcess = false;

    // GetUserDefaultUILanguage, or GetSystemDefaultLangID where that is missing.
    std::uint16_t languageId = 0;
};

inline constexpr std::uint32_t kPlatformWin32Nt = 2;
inline constexpr std::uint8_t kProductTypeWorkstation = 1;
inline constexpr std::uint16_t kArchitectureAmd64 = 9;
inline constexpr std::uint32_t kProductUnlicensed = 0xABCDABCD;

// Every fact the program derives from the version answers. Never fails: what cannot be told stays
// empty (no key for an unknown version, no language code when the version query failed).
MachineFacts BuildMachineFacts(const OsFacts& facts);

// "WNT_%d.%d" and the edition suffix, or empty for versions the discs do not name.
std::wstring BuildOsKey(const OsFacts& facts);

// The answers a Windows of this version and edition gives, as far as the OS key depends on them:
// the edition is the key's last part ("HOME_PREMIUM" of WNT_6.0_HOME_PREMIUM, "XP64" of
// WNT_5.2_XP64), letter case aside; empty for the plain edition. Nothing when the version has
// editions and this is not one of them. Versions without a key take any edition and build none.
std::optional<OsFacts> OsFactsOfEdition(std::uint32_t majorVersion, std::uint32_t minorVersion,
                                        const std::wstring& edition);

// The edition part of the key these answers build ("HOME_PREMIUM"); empty without one.
std::wstring OsEdition(const OsFacts& facts);

// The editions of a version, as OsFactsOfEdition takes them; empty for versions without a key.
std::vector<std::wstring> EditionsOf(std::uint32_t majorVersion, std::uint32_t minorVersion);

// Four lower-case hexadecimal digits, left-padded with "0": 0x409 -> 0409, 0x1009 -> 1009.
std::wstring LanguageCodeText(std::uint16_t languageId);

}  // namespace tavelin
