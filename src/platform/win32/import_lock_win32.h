#pragma once
// The one-import lock as a named mutex of the user's session: Windows lets
// go of it when its holder ends, even by a crash, so no stale lock is left.

#include "platform/import_lock.h"
#include "platform/win32/scoped_handles.h"

namespace quorvane::win32 {

class Win32ImportLock final : public ImportLock {
public:
    bool tryTake() override;
    void release() override;

private:
    ScopedHandle mutex_;
    bool held_ = false;
};

} // namespace quorvane::win32
