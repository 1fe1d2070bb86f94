#include "ui/module_version.h"

#include <cstdio>
#include <cstring>

namespace tavelin {
namespace {

std::wstring FourNumbers(DWORD mostSignificant, DWORD leastSignificant) {
    wchar_t text[64] = {};
    swprintf(text, 64, L"%u,%u,%u,%u", HIWORD(mostSignificant), LOWORD(mostSignificant),
             HIWORD(leastSignificant), LOWORD(leastSignificant));
    return text;
}

// The fixed part of a version resource: VS_VERSIONINFO starts with three WORDs (length, value
// length, type) and the key "VS_VERSION_INFO" with its terminator, padded to a 32-bit boundary;
// the VS_FIXEDFILEINFO value follows.
constexpr std::size_t kFixedInfoOffset = (3 * sizeof(WORD) + sizeof(L"VS_VERSION_INFO") + 3) & ~std::size_t{3};
constexpr DWORD kFixedInfoSignature = 0xFEEF04BD;

}  // namespace

// Read from the module's own resource rather than through version.dll: setup.exe imports only the
// DLLs Windows always takes from the system folder, so that none can be planted beside it.
ModuleVersion::ModuleVersion(HMODULE module) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    if (found == nullptr) return;
    const DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    const auto* block = static_cast<const BYTE*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    if (block == nullptr || size < kFixedInfoOffset + sizeof(VS_FIXEDFILEINFO)) return;
    WORD valueLength = 0;
    std::memcpy(&valueLength, block + sizeof(WORD), sizeof valueLength);
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, block + kFixedInfoOffset, sizeof fixed);
    if (valueLength < sizeof fixed || fixed.dwSignature != kFixedInfoSignature) return;
    m_strFileVersion = FourNumbers(fixed.dwFileVersionMS, fixed.dwFileVersionLS);
    m_strProductVersion = FourNumbers(fixed.dwProductVersionMS, fixed.dwProductVersionLS);
}

}  // namespace tavelin
