// Whether another installation holds Windows Installer: the service owns the mutex
// "Global\_MSIExecute" for as long as it runs an installation's changes.
#pragma once

#include "install/run_services.h"

namespace tavelin {

constexpr wchar_t kWindowsInstallerMutexName[] = L"Global\\_MSIExecute";

class Win32WindowsInstallerState : public WindowsInstallerState {
public:
    // The mutex exists and somebody owns it. A mutex left by an installation that has ended (the
    // service may keep it) is taken and given back at once, which tells it is free; one that
    // exists but may not be opened is taken for busy.
    bool AnotherInstallationRunning() override;
};

}  // namespace tavelin
