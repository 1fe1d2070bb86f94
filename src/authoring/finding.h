// One thing the disc author's check found: where (file and line), how bad, which check, and what
// to do about it. Checks return these as values; the reports print them.
#pragma once

#include <string>
#include <vector>

namespace tavelin {

enum class Severity { Error, Warning };
const char* SeverityName(Severity severity);  // "error", "warning"

struct Finding {
    Severity severity = Severity::Error;
    std::string check;    // a stable name, e.g. "dependence-missing", for pipelines and tests
    std::wstring file;    // relative to the disc root, with "/" separators
    int line = 0;         // from 1; 0 when the finding is about the file (or a missing one) as a whole
    std::wstring message;
};

using Findings = std::vector<Finding>;

// In file order, then line order; errors before warnings on the same line.
void SortFindings(Findings& findings);
bool HasErrors(const Findings& findings);

}  // namespace tavelin
