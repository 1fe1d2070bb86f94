// Reads the signs of a restart Windows already waits for (probe/pending_restart.h).
#pragma once

#include "probe/pending_restart.h"

namespace tavelin {

// A sign that cannot be read counts as absent: the signs only add a note and a restart code.
PendingRestartSigns ReadPendingRestartSigns();

}  // namespace tavelin
