// The install marker in an application's uninstall key under HKEY_LOCAL_MACHINE, in the view a
// 32-bit program sees by default (the application's own installer wrote its key there).
#pragma once

#include "install/run_services.h"

namespace tavelin {

class Win32InstallMarkerWriter : public InstallMarkerWriter {
public:
    // A key that does not exist is not created; failures are ignored.
    void WriteInstallMarker(const std::wstring& uninstallKeyPath, const std::wstring& versionText) override;
};

}  // namespace tavelin
