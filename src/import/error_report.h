#pragma once
// The import run's error report: one modal box per failed step, worded so that
// a screenshot sent to support says which step failed and why.

#include "import/step_number.h"

#include <string>
#include <string_view>

namespace quorvane {

inline constexpr std::string_view SupportAddress = "support@quorvane.example";
inline constexpr std::string_view ErrorReportTitle = "Application Error";

// Description, CR LF, the location with the step number, two bare carriage
// returns, then the request to write to support.
std::string FormatErrorReport(std::string_view description, StepNumber step);

} // namespace quorvane
