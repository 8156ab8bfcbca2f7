#pragma once
// What the skin lookup needs of the file system. Paths are UTF-8 with
// backslashes.

#include "base/outcome.h"

#include <string>
#include <string_view>

namespace quorvane {

class SkinFiles {
public:
    virtual ~SkinFiles() = default;

    // The folder of the program file, without a trailing separator.
    virtual std::string programFolder() const = 0;

    // Whether a directory listing for exactly `path` names an ordinary file:
    // one that is neither hidden, nor system, nor a folder. Anything else, a
    // path that does not exist included, counts as absent.
    virtual bool ordinaryFileExists(std::string_view path) const = 0;

    // The whole file as UTF-8 text, or the system's reason it cannot be read.
    virtual Outcome<std::string> readText(std::string_view path) const = 0;
};

} // namespace quorvane
