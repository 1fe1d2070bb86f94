// Typed look-up of an exported function.
#pragma once

#include <windows.h>

namespace tavelin {

// GetProcAddress gives a generic function pointer; going through void(*)() is the cast the
// compiler accepts as deliberate. Null when the module or the export is missing.
template <typename Function>
Function FindEntryPoint(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace tavelin
