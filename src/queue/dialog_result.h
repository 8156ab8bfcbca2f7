#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The rows an open-dialog result stands for. One part (no NUL) is a full path
// and is queued unchanged; several parts are the folder followed by the chosen
// names, each queued as JoinPath(folder, name) in the dialog's order.
std::vector<std::string> SplitDialogResult(std::string_view fileName);

} // namespace quorvane
