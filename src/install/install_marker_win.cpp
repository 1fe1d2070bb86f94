#include "install/install_marker_win.h"

#include <windows.h>

#include "install/installation_run.h"
#include "platform/handles.h"

namespace tavelin {

void Win32InstallMarkerWriter::WriteInstallMarker(const std::wstring& uninstallKeyPath,
                                                  const std::wstring& versionText) {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, uninstallKeyPath.c_str(), 0, KEY_ALL_ACCESS, key.Receive()) !=
        ERROR_SUCCESS) {
        return;
    }
    RegSetValueExW(key.Get(), kInstallMarkerValueName, 0, REG_EXPAND_SZ,
                   reinterpret_cast<const BYTE*>(versionText.c_str()),
                   static_cast<DWORD>((versionText.size() + 1) * sizeof(wchar_t)));
}

}  // namespace tavelin
