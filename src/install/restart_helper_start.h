// How the restart helper starts the program after the restart. The helper runs without elevation
// (its manifest asks for the invoker's rights) at the next logon; the program asks for
// administrator rights, which CreateProcess cannot grant: it answers ERROR_ELEVATION_REQUIRED, and
// only the shell can start such a program, asking the user for consent.
#pragma once

namespace tavelin {

constexpr unsigned long kErrorElevationRequired = 740;  // ERROR_ELEVATION_REQUIRED

enum class HelperStartStep {
    Started,           // the program runs
    StartThroughShell, // start it again through the shell, so that Windows elevates it
    GiveUp,            // the program cannot be started; the record stays for a start by hand
};
const wchar_t* HelperStartStepName(HelperStartStep step);

// The next step after CreateProcess: started, or the error it failed with.
HelperStartStep NextHelperStartStep(bool created, unsigned long error);

}  // namespace tavelin
