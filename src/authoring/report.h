// The check's findings as people read them ("file:line: error: message [check]") and as pipelines
// read them (one JSON document). Both are UTF-8.
#pragma once

#include <string>

#include "authoring/finding.h"

namespace tavelin {

std::string HumanReport(const Findings& findings);
std::string JsonReport(const Findings& findings);

// UTF-16 code units (wide text on every platform here) to UTF-8; a lone surrogate becomes U+FFFD.
std::string EncodeUtf8(const std::wstring& text);

}  // namespace tavelin
