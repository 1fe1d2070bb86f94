// What the disc's catalogue leads the detection to read on a machine, kept for its profile: the
// program's own loading and evaluation run over the machine's registry and device libraries, and
// whatever they read is written out. The Windows capture passes the real registry and the disc's
// libraries; tests pass a machine held in memory.
#pragma once

#include <map>
#include <string>

#include "base/hardware_query.h"
#include "base/machine_facts.h"
#include "config/config_file.h"
#include "evaluate/registry.h"

namespace tavelin {

struct CatalogueReads {
    std::string registryExport;                    // as reg export writes it
    std::map<std::wstring, DeviceAnswer> deviceAnswers;  // by upper-cased hardware id
};

// Evaluates the catalogue as the program does at its start, whether or not the disc accepts the
// machine (so that a profile of a refused machine still serves a corrected disc). On 64-bit Windows
// every key looked for is read in both views.
CatalogueReads CaptureCatalogueReads(const ConfigFile& catalogue, const MachineFacts& facts,
                                     const std::wstring& model, Registry& registry, HardwareQuery& devices);

}  // namespace tavelin
