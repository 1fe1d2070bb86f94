// Checks of the two skin files the program chooses between: present, every control placed inside
// the window, the background picture on the disc, nothing written that the program never reads.
#pragma once

#include <filesystem>

#include "authoring/finding.h"

namespace tavelin {

void CheckSkins(const std::filesystem::path& discRoot, Findings& findings);

}  // namespace tavelin
