#pragma once
// The import run's progress on the program's taskbar button. Created on first
// use; where the taskbar offers no progress (Wine, old shells) every call
// does nothing.

#include <windows.h>

#include <shobjidl.h>
#include <wrl/client.h>

namespace quorvane::win32 {

class TaskbarProgress {
public:
    explicit TaskbarProgress(HWND window = nullptr) : window_(window) {}
    void attach(HWND window) { window_ = window; }

    // Percent done, 0 to 100.
    void show(double percent);
    // No progress on the button, as before the run.
    void clear();

private:
    ITaskbarList3* taskbar();

    HWND window_;
    Microsoft::WRL::ComPtr<ITaskbarList3> taskbar_;
    bool unavailable_ = false;
    bool showing_ = false;
};

} // namespace quorvane::win32
