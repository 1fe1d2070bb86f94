#include "install/windows_installer_win.h"

#include <windows.h>

#include "platform/handles.h"

namespace tavelin {

bool Win32WindowsInstallerState::AnotherInstallationRunning() {
    UniqueHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, kWindowsInstallerMutexName));
    if (!mutex) return GetLastError() == ERROR_ACCESS_DENIED;
    switch (WaitForSingleObject(mutex.Get(), 0)) {
        case WAIT_OBJECT_0:
        case WAIT_ABANDONED:
            ReleaseMutex(mutex.Get());
            return false;
        case WAIT_TIMEOUT:
            return true;
        default:
            return true;
    }
}

}  // namespace tavelin
