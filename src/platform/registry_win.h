// The detection registry on Windows: HKEY_LOCAL_MACHINE opened for reading only, in the 32-bit
// or the 64-bit view (platform/registry_view_win.h). Detection never writes, so it never asks for more than KEY_READ
// (asking for write access fails for a standard user and under some policies).
#pragma once

#include "evaluate/registry.h"

namespace tavelin {

class Win32Registry : public Registry {
public:
    std::unique_ptr<RegistryKey> OpenKey(const std::wstring& path, RegistryView view) override;
};

// The access mask OpenKey uses for a view.
unsigned long RegistryReadAccess(RegistryView view);

}  // namespace tavelin
