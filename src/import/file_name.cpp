#include "import/file_name.h"

namespace quorvane {

std::string_view GetFileName(std::string_view path) {
    const auto lastBackslash = path.rfind('\\');
    if (lastBackslash == std::string_view::npos)
        return path;
    return path.substr(lastBackslash + 1);
}

} // namespace quorvane
