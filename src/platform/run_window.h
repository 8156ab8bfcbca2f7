#pragma once
// What long operations (the import run, the folder search) need of the main
// window. All calls happen on the user-interface thread, but for wakeUp().

#include "platform/native_window.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// The pointer over the window: the standard arrow, or the hourglass while a
// long operation runs. The window layer picks the system's pointer for each.
enum class PointerKind { Arrow, Hourglass };

// Message boxes: an OK button alone, or with the exclamation icon as well.
enum class MessageStyle { Plain, Exclamation };

// Whether a long operation may go on after letting the window handle its
// events. Once the window is closing the operation must return at once,
// running no further step and showing nothing.
enum class [[nodiscard]] YieldResult{KeepGoing, WindowClosing};

class RunWindow {
public:
    virtual ~RunWindow() = default;

    virtual void setPointer(PointerKind kind) = 0;
    virtual PointerKind pointer() const = 0;

    virtual void setProgressText(std::string_view text) = 0;
    // Percent; values outside 0..100 are shown clamped.
    virtual void setProgressValue(double percent) = 0;
    // The import run has ended, however it ends: with "Done.", with "No
    // files added.", or cut short by a closing window. Called by the import
    // run alone, once per run: before its closing box, or as it returns when
    // the window closed first. The window puts away what only a run shows
    // (on Windows, the progress on the taskbar button).
    virtual void runEnded() = 0;

    // Modal; returns when the user has pressed OK. Without a title the box
    // carries the application's title.
    virtual void showMessage(std::string_view text, MessageStyle style,
                             std::optional<std::string_view> title = std::nullopt) = 0;
    // Modal, with Yes and No buttons and the question icon, carrying the
    // application's title; true when the user pressed Yes.
    virtual bool askYesNo(std::string_view question) = 0;

    // Handles every waiting window event, then returns.
    virtual YieldResult yield() = 0;
    // Sleeps until a window event arrives or the timeout passes, then yields.
    // Waiting on the message queue keeps the processor free while Outlook works.
    virtual YieldResult waitForEvents(std::chrono::milliseconds timeout) = 0;

    // Sleeps until a window event is waiting or wakeUp() has been called since
    // the last such sleep, then returns without handling anything: the folder
    // search takes what its thread handed over first and yields after, so the
    // rows found before an event are queued before the event is handled.
    // Returns at once while the window is closing.
    virtual void sleepUntilEventOrWakeUp() = 0;
    // The one call any thread may make: ends the window thread's
    // sleepUntilEventOrWakeUp(), or the next one if it is not sleeping.
    virtual void wakeUp() = 0;

    // True once the user has closed the window; a long operation checks it
    // after anything modal, since a close can arrive while a box is shown.
    virtual bool closing() const = 0;

    virtual NativeWindow nativeHandle() const = 0;
};

} // namespace quorvane
