#include "app/scripted_run_window.h"

#include <string>

namespace quorvane {

namespace {

// A log of a thousand contacts needs no line for each; one now and then says
// the run is alive and how far it is.
constexpr std::chrono::seconds ProgressLinesEvery{5};

} // namespace

void ScriptedRunWindow::script(ScriptOutput& output, bool answer) {
    output_ = &output;
    answer_ = answer;
}

void ScriptedRunWindow::setProgressText(std::string_view text) {
    window_.setProgressText(text);
    if (!output_ || text.empty())
        return;
    const Clock::TimePoint now = clock_.now();
    if (progressWritten_ && now - *progressWritten_ < ProgressLinesEvery)
        return;
    progressWritten_ = now;
    output_->writeLine(text);
}

void ScriptedRunWindow::showMessage(std::string_view text, MessageStyle style,
                                    std::optional<std::string_view> title) {
    if (!output_) {
        window_.showMessage(text, style, title);
        return;
    }
    if (title)
        output_->writeLine(std::string(*title) + ":");
    output_->writeLine(text);
}

bool ScriptedRunWindow::askYesNo(std::string_view question) {
    if (!output_)
        return window_.askYesNo(question);
    output_->writeLine(question);
    output_->writeLine(answer_ ? "(Yes, as the command line says.)"
                               : "(No, as the command line says.)");
    return answer_;
}

} // namespace quorvane
