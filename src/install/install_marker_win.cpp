#include "install/install_marker_win.h"

#include <windows.h>

#include "install/installation_run.h"
#include "platform/handles.h"
#include "platform/registry_view_win.h"

namespace tavelin {

void Win32InstallMarkerWriter::WriteInstallMarker(const std::wstring& uninstallKeyPath,
                                                  const std::wstring& versionText) {
    UniqueKey key;
    // The uninstall key as a 32-bit program sees it, where detection looks first.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, uninstallKeyPath.c_str(), 0,
                      KEY_ALL_ACCESS | RegistryViewFlag(RegistryView::View32), key.Receive()) !=
        ERROR_SUCCESS) {
        return;
    }
    RegSetValueExW(key.Get(), kInstallMarkerValueName, 0, REG_EXPAND_SZ,
                   reinterpret_cast<const BYTE*>(versionText.c_str()),
                   static_cast<DWORD>((versionText.size() + 1) * sizeof(wchar_t)));
}

}  // namespace tavelin
