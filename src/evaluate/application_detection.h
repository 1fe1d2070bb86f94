// Whether an application or hotfix is installed, and whether the disc's copy should be installed,
// from its "Version_Path" registry location.
#pragma once

#include <string>

#include "config/catalogue.h"
#include "config/diagnostics.h"
#include "evaluate/decision_record.h"
#include "evaluate/registry.h"

namespace tavelin {

// Sets item.m_bInstalled and item.m_bVersionResult. Locations are looked for in the default view
// and, on 64-bit Windows, in the 64-bit view. versionPath is a key (hotfixes, applications without
// a disc version, and paths ending in "\" whose subkeys are the installed versions) or a value
// (the last component of any other path). `finding` gets where it looked, what it found there and
// the deciding comparison.
void DetectInstalledApplication(const DiagnosticSwitches& switches, MessageSink& sink, bool is64BitWindows,
                                CItem& item, const std::wstring& versionPath, const std::wstring& iniVersion,
                                Registry& registry, ApplicationFinding& finding);

}  // namespace tavelin
