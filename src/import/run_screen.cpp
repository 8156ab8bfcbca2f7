#include "import/run_screen.h"

#include "import/error_report.h"
#include "import/run_progress.h"

namespace quorvane {

bool RunScreen::yield() {
    if (!closing())
        closing_ = window_.yield() == YieldResult::WindowClosing;
    return !closing_;
}

bool RunScreen::waitForEvents(std::chrono::milliseconds timeout) {
    if (!closing())
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
    if (closing())
        return false;
    window_.showMessage(text, style, title);
    return !closing();
}

bool RunScreen::ask(std::string_view question) {
    if (closing())
        return false;
    const bool yes = window_.askYesNo(question);
    return !closing() && yes;
}

void RunScreen::showProgressText(const std::string& text) {
    if (text == progressText_)
        return;
    progressText_ = text;
    window_.setProgressText(text);
}

void RunScreen::restoreAtRest() {
    window_.setPointer(PointerKind::Arrow);
    window_.setProgressValue(0);
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
