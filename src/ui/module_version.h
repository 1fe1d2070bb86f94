// The file and product versions of a module, from its version resource, as "%u,%u,%u,%u".
#pragma once

#include <windows.h>

#include <string>

namespace tavelin {

class ModuleVersion {
public:
    // Both texts stay empty when the module has no readable version resource.
    explicit ModuleVersion(HMODULE module);

    std::wstring m_strFileVersion;
    std::wstring m_strProductVersion;
};

}  // namespace tavelin
