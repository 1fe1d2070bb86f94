// Asking the running Windows for the answers the OS key is built from.
#pragma once

#include "base/machine_facts.h"
#include "probe/os_key.h"

namespace tavelin {

// The raw answers of the version, product, architecture, metrics, WOW64 and language functions.
// Entry points that older systems lack are looked up at run time; a missing one leaves its facts
// unanswered.
OsFacts GatherOsFacts();

// Looks up the optional kernel entry points the identification uses (IsWow64Process,
// GetProductInfo). The program does this once at its start, before any window exists; later calls
// reuse what was found.
void LookUpOptionalEntryPoints();

// The startup step: the OS key, 64-bit Windows and the language code of this machine.
MachineFacts IdentifyOperatingSystem();

}  // namespace tavelin
