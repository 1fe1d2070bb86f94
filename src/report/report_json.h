// The report as one JSON document (UTF-8), for deployment tools; its fields are described in
// docs/fleet-report.md.
#pragma once

#include <string>

#include "report/fleet_report.h"

namespace tavelin {

constexpr int kReportSchemaVersion = 1;

std::string ReportJson(const FleetReport& report);

}  // namespace tavelin
