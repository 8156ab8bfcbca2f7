#include "import/run_screen.h"

#include "import/error_report.h"
#include "import/run_progress.h"

namespace quorvane {

bool RunScreen::yield() {
    if (!closing_)
        closing_ = window_.yield() == YieldResult::WindowClosing;
    return !closing_;
}

bool RunScreen::waitForEvents(std::chrono::milliseconds timeout) {
    if (!closing_)
        closing_ = window_.waitForEvents(timeout) == YieldResult::WindowClosing;
    return !closing_;
}

bool RunScreen::report(StepNumber step, const Failure& failure) {
    return show(FormatErrorReport(failure.description, step), MessageStyle::Exclamation,
                ErrorReportTitle);
}

bool RunScreen::show(std::string_view text, MessageStyle style) {
    return show(text, style, std::nullopt);
}

bool RunScreen::show(std::string_view text, MessageStyle style,
                     std::optional<std::string_view> title) {
    if (closing_)
        return false;
    window_.showMessage(text, style, title);
    closing_ = window_.closing();
    return !closing_;
}

void RunScreen::showProgressText(const std::string& text) {
    if (text == progressText_)
        return;
    progressText_ = text;
    window_.setProgressText(text);
}

void RunScreen::resetProgressText() {
    progressText_ = ProgressAtRest;
    window_.setProgressText(ProgressAtRest);
}

void RunScreen::announceEnd() {
    if (endAnnounced_)
        return;
    endAnnounced_ = true;
    window_.runEnded();
}

} // namespace quorvane
