// A registry export (".reg", as Windows' own "reg export" and the registry editor write it) read
// into the in-memory registry the evaluation takes. Only what detection reads is kept: the keys
// below HKEY_LOCAL_MACHINE and their string values; other value kinds make the key, not the value.
#pragma once

#include <string>
#include <string_view>

#include "evaluate/memory_registry.h"

namespace tavelin {

struct RegFileResult {
    bool ok = false;
    std::wstring error;  // why the text is not a registry export
};

// An export made on 64-bit Windows shows the 32-bit view below "SOFTWARE\Wow6432Node"; those keys
// go to the 32-bit view, the rest of SOFTWARE to the 64-bit one, and keys outside SOFTWARE (which
// both views share) to both. On 32-bit Windows everything is the one view.
RegFileResult LoadRegFile(std::string_view bytes, bool is64BitWindows, MemoryRegistry& registry);

}  // namespace tavelin
