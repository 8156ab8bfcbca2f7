#pragma once
// Windows paths as text, taken apart and put together without asking the
// file system: the folder search, the dialogs and the import run all name
// files this way, and only the backslash separates.

#include <string>
#include <string_view>

namespace quorvane {

// Folder, one backslash, name; then every ":\\" becomes ":\" so that a drive
// root such as "D:\" does not give "D:\\a.vcf". Other doubled backslashes are
// left alone.
std::string JoinPath(std::string_view folder, std::string_view name);

// The part of a path after its last backslash; the whole path when it holds
// none. A forward slash is an ordinary character.
std::string_view GetFileName(std::string_view path);

} // namespace quorvane
