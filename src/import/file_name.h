#pragma once
#include <string_view>

namespace quorvane {

// The part of a path after its last backslash; the whole path when it holds
// none. Only the backslash separates: a forward slash is an ordinary character.
std::string_view GetFileName(std::string_view path);

} // namespace quorvane
