// "tavelin-disc check": every check of a disc folder, its findings sorted by file and line.
#pragma once

#include <filesystem>

#include "authoring/finding.h"

namespace tavelin {

Findings CheckDisc(const std::filesystem::path& discRoot);

}  // namespace tavelin
