#pragma once
// The window a run works with, as the session sees it. Normally it is the
// main window itself. A run started from a script must never wait for a
// person: then every box becomes lines of the script's output, each question
// is answered as the command line decided, and the progress is written now
// and then; the window, shown or hidden, still shows the bar and handles its
// events.

#include "platform/clock.h"
#include "platform/run_window.h"
#include "platform/script_output.h"

#include <optional>

namespace quorvane {

class ScriptedRunWindow final : public RunWindow {
public:
    ScriptedRunWindow(RunWindow& window, const Clock& clock) : window_(window), clock_(clock) {}

    // From now on boxes go to `output` and every question is answered
    // `answer`.
    void script(ScriptOutput& output, bool answer);

    void setPointer(PointerKind kind) override { window_.setPointer(kind); }
    PointerKind pointer() const override { return window_.pointer(); }
    void setProgressText(std::string_view text) override;
    void setProgressValue(double percent) override { window_.setProgressValue(percent); }
    void runEnded() override { window_.runEnded(); }
    void showMessage(std::string_view text, MessageStyle style,
                     std::optional<std::string_view> title = std::nullopt) override;
    bool askYesNo(std::string_view question) override;
    YieldResult yield() override { return window_.yield(); }
    YieldResult waitForEvents(std::chrono::milliseconds timeout) override {
        return window_.waitForEvents(timeout);
    }
    void sleepUntilEventOrWakeUp() override { window_.sleepUntilEventOrWakeUp(); }
    void wakeUp() override { window_.wakeUp(); }
    bool closing() const override { return window_.closing(); }
    NativeWindow nativeHandle() const override { return window_.nativeHandle(); }

private:
    RunWindow& window_;
    const Clock& clock_;
    ScriptOutput* output_ = nullptr;
    bool answer_ = false;
    std::optional<Clock::TimePoint> progressWritten_;
};

} // namespace quorvane
