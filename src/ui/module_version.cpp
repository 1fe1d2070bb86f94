#include "ui/module_version.h"

#include <cstdio>
#include <vector>

namespace tavelin {
namespace {

std::wstring FourNumbers(DWORD mostSignificant, DWORD leastSignificant) {
    wchar_t text[64] = {};
    swprintf(text, 64, L"%u,%u,%u,%u", HIWORD(mostSignificant), LOWORD(mostSignificant),
             HIWORD(leastSignificant), LOWORD(leastSignificant));
    return text;
}

}  // namespace

ModuleVersion::ModuleVersion(HMODULE module) {
    wchar_t path[520] = {};
    // One character fewer than the buffer: Windows XP does not terminate a path that fills it.
    GetModuleFileNameW(module, path, 519);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    if (size == 0) return;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(path, 0, size, block.data())) return;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr) return;
    m_strFileVersion = FourNumbers(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    m_strProductVersion = FourNumbers(fixed->dwProductVersionMS, fixed->dwProductVersionLS);
}

}  // namespace tavelin
