// The programs registered to start at every logon, read from the Run keys (and the Run key group
// policy fills): the machine's in both registry views (a 32-bit installer on 64-bit Windows writes
// the 32-bit one) and the current user's.
#pragma once

#include <vector>

#include "install/left_running.h"

namespace tavelin {

class Win32LogonPrograms : public LogonPrograms {
public:
    std::vector<LogonProgram> Registered() override;
};

}  // namespace tavelin
