#include "platform/win32/taskbar_progress.h"

#include <algorithm>
#include <cmath>

namespace quorvane::win32 {

namespace {
constexpr ULONGLONG Steps = 10000; // hundredths of a percent
} // namespace

ITaskbarList3* TaskbarProgress::taskbar() {
    if (taskbar_ || unavailable_ || !window_)
        return taskbar_.Get();
    // Asked once: a shell without the interface will not grow one.
    Microsoft::WRL::ComPtr<ITaskbarList3> created;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&created))) ||
        FAILED(created->HrInit())) {
        unavailable_ = true;
        return nullptr;
    }
    taskbar_ = created;
    return taskbar_.Get();
}

void TaskbarProgress::show(double percent) {
    ITaskbarList3* list = taskbar();
    if (!list)
        return;
    const double clamped = std::clamp(percent, 0.0, 100.0);
    if (!showing_)
        list->SetProgressState(window_, TBPF_NORMAL);
    showing_ = true;
    list->SetProgressValue(window_, static_cast<ULONGLONG>(std::llround(clamped * 100)), Steps);
}

void TaskbarProgress::clear() {
    // Nothing to clear before a run has shown anything; this also keeps the
    // shell from being loaded at start-up for the idle text.
    if (!showing_ || !taskbar_)
        return;
    taskbar_->SetProgressState(window_, TBPF_NOPROGRESS);
    showing_ = false;
}

} // namespace quorvane::win32
