#pragma once
// Where a run started from a script says what a person would have read in
// boxes: the console it was started from, or the file or pipe its output was
// sent to. Nowhere at all when it has neither.

#include <string_view>

namespace quorvane {

class ScriptOutput {
public:
    virtual ~ScriptOutput() = default;
    // `text` (UTF-8, lines ending in "\r\n" or not) and a line end after it.
    virtual void writeLine(std::string_view text) = 0;
};

} // namespace quorvane
