#pragma once
#include <string>
#include <string_view>

namespace quorvane {

// Folder, one backslash, name; then every ":\\" becomes ":\" so that a drive
// root such as "D:\" does not give "D:\\a.vcf". Other doubled backslashes are
// left alone.
std::string JoinPath(std::string_view folder, std::string_view name);

} // namespace quorvane
