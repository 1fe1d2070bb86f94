// Whether the disc's driver for one hardware id should replace the installed one.
#pragma once

#include <string>
#include <string_view>

#include "config/catalogue.h"
#include "config/diagnostics.h"
#include "evaluate/decision_record.h"
#include "evaluate/driver_registry_lookup.h"

namespace tavelin {

// Reads the installed driver of the device (through the evaluation's cache) and compares it with
// the disc's version and date; returns a version status. Sets item.m_bInstalled once an installed
// version was read; changes nothing else. Errors are shown under "ShowErrorMessage", status texts
// under "ShowItemVersionStatus". `finding` gets what was read and how the status came about; its
// texts are views of iniVersion, iniDate and hardwareId, which the caller keeps as long as the
// finding (the evaluation copies them into its decision book).
int DetectInstalledDriver(const DiagnosticSwitches& switches, MessageSink& sink, CItem& item,
                          std::wstring_view iniVersion, std::wstring_view iniDate, std::wstring_view hardwareId,
                          DriverKeyCache& drivers, DriverFinding& finding);

// The message for a failed lookup, as "ShowErrorMessage" shows it.
std::wstring DriverLookupErrorText(const InstalledDriverRecord& record);

}  // namespace tavelin
