// What an installer's exit code means for its row. Makers' installers disagree on their codes, so
// the program judges a code only where the disc says what it means, with the item's optional keys
// "Success_Exit_Codes" and "Restart_Exit_Codes"; without them every installer that started and
// ended counts as done, as it always has.
#pragma once

#include <cstdint>

#include "config/catalogue.h"

namespace tavelin {

enum class InstallerVerdict {
    Done,
    DoneRestartNeeded,  // acts as the item's "Restart" flag does
    Failed,
};

// With either key given: a restart code gives DoneRestartNeeded, a success code Done (0 is the
// success code when only restart codes are given), any other code Failed.
InstallerVerdict JudgeInstallerExit(const CItem& item, std::uint32_t exitCode);

}  // namespace tavelin
