// Checks of TAVELIN.INI's meaning, over the catalogue as the program loads it: references between
// items, counts against the loader's bounds, types, versions and dates, OS names and languages,
// and the installers the items start.
#pragma once

#include <filesystem>

#include "authoring/catalogue_survey.h"
#include "authoring/finding.h"
#include "config/config_file.h"
#include "config/profile_outline.h"

namespace tavelin {

struct CatalogueView {
    std::filesystem::path discRoot;
    std::wstring file;  // "Lib/TAVELIN.INI"
    const ConfigFile& config;
    const ProfileOutline& outline;
    const CatalogueSurvey& survey;
};

void CheckItemReferences(const CatalogueView& view, Findings& findings);  // dependences, visibility lists
void CheckCounts(const CatalogueView& view, Findings& findings);
void CheckItemTypes(const CatalogueView& view, Findings& findings);
void CheckItemsNeverKept(const CatalogueView& view, Findings& findings);
void CheckVersionsAndDates(const CatalogueView& view, Findings& findings);
void CheckOsNames(const CatalogueView& view, Findings& findings);
void CheckLanguages(const CatalogueView& view, Findings& findings);
void CheckItemFiles(const CatalogueView& view, Findings& findings);  // installers, uninstallers
void CheckTimeLimits(const CatalogueView& view, Findings& findings);  // Install_Timeout

}  // namespace tavelin
