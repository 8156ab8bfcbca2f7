#include "platform/win32/import_lock_win32.h"

#include <windows.h>

namespace quorvane::win32 {

namespace {

// "Local\": one per log-on session, so that users of one machine (a
// terminal server) do not wait for one another.
constexpr wchar_t MutexName[] = L"Local\\Trelvik.Quorvane.Import";

} // namespace

bool Win32ImportLock::tryTake() {
    if (held_)
        return true;
    if (!mutex_)
        mutex_.reset(CreateMutexW(nullptr, FALSE, MutexName));
    // Without the mutex (the name is taken by something else) the import
    // goes on: refusing every import for it would be worse than the race.
    if (!mutex_)
        return true;
    const DWORD waited = WaitForSingleObject(mutex_.get(), 0);
    // An abandoned mutex was held by a Quorvane that ended mid-run: it is
    // ours now, and that run's record says where it stopped.
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    return held_;
}

void Win32ImportLock::release() {
    if (held_ && mutex_)
        ReleaseMutex(mutex_.get());
    held_ = false;
}

} // namespace quorvane::win32
