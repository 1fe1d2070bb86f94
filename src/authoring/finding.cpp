#include "authoring/finding.h"

#include <algorithm>
#include <tuple>

namespace tavelin {

const char* SeverityName(Severity severity) { return severity == Severity::Error ? "error" : "warning"; }

void SortFindings(Findings& findings) {
    std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
        return std::tie(a.file, a.line, a.severity) < std::tie(b.file, b.line, b.severity);
    });
}

bool HasErrors(const Findings& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const Finding& finding) { return finding.severity == Severity::Error; });
}

}  // namespace tavelin
