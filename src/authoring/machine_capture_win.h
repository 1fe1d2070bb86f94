// The running machine captured as a profile for "tavelin-disc simulate", read the way setup.exe
// reads it from the disc it is started from: the model through the disc's own device libraries,
// the OS facts, the present devices, and the registry keys the disc's catalogue leads the detection
// to, gathered by running the program's own loading and evaluation over the real registry.
#pragma once

#include <string>
#include <vector>

#include "authoring/machine_profile.h"

namespace tavelin {

struct MachineCapture {
    MachineProfile profile;        // its registry stays empty: the keys are in registryExport
    std::string registryExport;    // the keys, as reg export writes them
    std::vector<std::wstring> problems;  // what could not be read; the rest is captured all the same
};

MachineCapture CaptureMachine(const std::wstring& discRoot);

}  // namespace tavelin
