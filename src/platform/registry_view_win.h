// Registry views, named in every registry call of the program and of the programs beside it, so
// that the 32-bit and the 64-bit program read and write the same places on 64-bit Windows and
// either finds what the other did. Header-only: the restart helper, the sample installer and the
// test programs use it without the rest of the platform layer.
#pragma once

#include <windows.h>

#include <string>

#include "evaluate/registry.h"

namespace tavelin {

// The access flag that selects a view. A 32-bit program gets the 32-bit view without asking and
// keeps the access it always used (32-bit Windows XP predates the flags); the 64-bit program asks
// for the 32-bit view by name. KEY_WOW64_64KEY is asked for by both.
constexpr REGSAM RegistryViewFlag(RegistryView view) {
    if (view == RegistryView::View64) return KEY_WOW64_64KEY;
    return sizeof(void*) == 8 ? KEY_WOW64_32KEY : 0;
}

// Deletes a key that has no subkeys, in a view. RegDeleteKeyW takes no view (RegDeleteKeyExW is
// missing on 32-bit XP), so the key is deleted through its parent opened in that view: a handle
// opened in the 32-bit view stays in it for the names below it.
inline LONG DeleteRegistryKey(HKEY root, const std::wstring& path, RegistryView view) {
    const std::wstring::size_type separator = path.rfind(L'\\');
    if (separator == std::wstring::npos) return RegDeleteKeyW(root, path.c_str());
    HKEY parent = nullptr;
    const LONG opened = RegOpenKeyExW(root, path.substr(0, separator).c_str(), 0,
                                      KEY_READ | RegistryViewFlag(view), &parent);
    if (opened != ERROR_SUCCESS) return opened;
    const LONG deleted = RegDeleteKeyW(parent, path.substr(separator + 1).c_str());
    RegCloseKey(parent);
    return deleted;
}

}  // namespace tavelin
