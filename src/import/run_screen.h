#pragma once
// What a run shows on the main window, and the one thing it must always do
// there: tell the window, once, that the run has ended, however it ends (a
// run that returns without saying so leaves the progress on the taskbar).
// Every box of a run goes through here, and so does every question whether
// the window is closing: it is asked afresh each time, so a close that came
// while something modal was up (a box, Outlook's folder chooser) is never
// missed. Once closing, nothing more is shown and the run must return.

#include "base/outcome.h"
#include "import/step_number.h"
#include "platform/run_window.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

class RunScreen {
public:
    explicit RunScreen(RunWindow& window) : window_(window) {}
    ~RunScreen() { announceEnd(); }
    RunScreen(const RunScreen&) = delete;
    RunScreen& operator=(const RunScreen&) = delete;

    // Lets the window handle its events; false once it is closing.
    bool yield();
    // Sleeps until a window event or the timeout, then yields.
    bool waitForEvents(std::chrono::milliseconds timeout);
    bool closing() {
        closing_ = closing_ || window_.closing();
        return closing_;
    }

    // The error report of a failed step, unless the window is closing; false
    // when the run must return (a close can arrive while the box is up).
    bool report(StepNumber step, const Failure& failure);
    // Any other box of the run; false when the run must return.
    bool show(std::string_view text, MessageStyle style);
    // Yes or No; No when the window is closing.
    bool ask(std::string_view question);

    void showHourglass() { window_.setPointer(PointerKind::Hourglass); }
    // The bar's text, once: the same text again is not written twice.
    void showProgressText(const std::string& text);
    void showProgressValue(double percent) { window_.setProgressValue(percent); }
    NativeWindow nativeHandle() const { return window_.nativeHandle(); }

    // The pointer, the bar and the taskbar back at rest, as before the run.
    void restoreAtRest();
    // Before the closing box, so the taskbar rests together with the bar.
    void announceEnd();

private:
    bool show(std::string_view text, MessageStyle style, std::optional<std::string_view> title);

    RunWindow& window_;
    std::string progressText_;
    bool closing_ = false;
    bool endAnnounced_ = false;
};

} // namespace quorvane
