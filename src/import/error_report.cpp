#include "import/error_report.h"

namespace quorvane {

std::string FormatErrorReport(std::string_view description, StepNumber step) {
    std::string text;
    text.append(description)
        .append("\r\n")
        .append("in Pellicor5/20/2014.Form1.Start ")
        .append("at line ")
        .append(std::to_string(NumberOf(step)))
        .append("\r\r")
        .append("Please email screenshot of this message to ")
        .append(SupportAddress);
    return text;
}

} // namespace quorvane
