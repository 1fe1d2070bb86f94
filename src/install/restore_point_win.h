// System Restore's SRSetRestorePointW, from srclient.dll in the system folder, looked up when the
// point is asked for: Windows editions without System Restore (servers, some embedded ones, Wine)
// lack the library or its entry point.
#pragma once

#include "install/restore_point.h"

namespace tavelin {

// Classifies SRSetRestorePointW's failure status.
RestorePointAnswer RestorePointFailureOf(unsigned long status);

class Win32RestorePointService : public RestorePointService {
public:
    RestorePointResult Create(const std::wstring& description) override;
};

}  // namespace tavelin
