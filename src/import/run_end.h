#pragma once

namespace quorvane {

// How an import run came back: over in the ordinary way, or cut short by the
// window closing (nothing may be shown after that).
enum class RunEnd { Finished, WindowClosed };

} // namespace quorvane
