// The disc root as the installation run finds it before each item (install/disc_presence.h).
#pragma once

#include <string>

#include "install/run_services.h"

namespace tavelin {

class Win32DiscWatch : public DiscWatch {
public:
    // `discIdentity` is the run's (install/disc_identity.h); empty holds the disc to its folder only.
    Win32DiscWatch(std::wstring discRoot, std::wstring discIdentity);
    DiscState Check() override;

private:
    std::wstring m_discRoot;
    std::wstring m_discIdentity;
};

}  // namespace tavelin
