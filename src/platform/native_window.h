#pragma once
#include <cstdint>

namespace quorvane {

// A platform window handle carried through the portable code untouched (an
// HWND on Windows). Zero means no window.
enum class NativeWindow : std::uintptr_t { None = 0 };

} // namespace quorvane
