#pragma once
// The running stand-in's hidden window. A later `outlook /v <path>` finds it by
// class name and hands the path over with WM_COPYDATA, as a second Outlook
// hands its command line to the first; its timers pace the delayed opens and
// the exit after the server has been idle.

#include "server_state.h"
#include "standin_names.h"

#include "platform/win32/scoped_handles.h"
#include "platform/win32/window_base.h"

#include <functional>
#include <string>

namespace quorvane::standin {

// Serialises "is a server running?" with "become the server" and with "stop
// being the server", across processes, so two launches never both serve and
// no hand-off reaches a server that is on its way out.
class StartupLock {
public:
    // timeoutMs 0 only tries; see acquired().
    explicit StartupLock(DWORD timeoutMs);
    StartupLock(const StartupLock&) = delete;
    StartupLock& operator=(const StartupLock&) = delete;
    ~StartupLock();
    bool acquired() const { return acquired_; }

private:
    win32::ScopedHandle mutex_;
    bool acquired_ = false;
};

class ServerWindow final : public win32::WindowBase {
public:
    // onIdleExit runs once, after the window is gone, when the server has
    // been unused for IdleExitMs.
    ServerWindow(ServerState& state, HINSTANCE instance, std::function<void()> onIdleExit);

    bool created() const { return handle() != nullptr; }
    // A /v request: logged at once, its window opened after OpenDelayMs.
    void requestOpen(const std::wstring& path);

private:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT onCopyData(const COPYDATASTRUCT& data);
    void onTimer(UINT_PTR id);
    void onIdleTick();

    ServerState& state_;
    HINSTANCE instance_;
    std::function<void()> onIdleExit_;
};

// Passes the path to the running server. False when none runs or it did not
// take the request; the caller then serves the request itself.
bool handOffToRunningServer(const std::wstring& path);

} // namespace quorvane::standin
