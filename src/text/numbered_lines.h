#pragma once
// The program's small text files (a skin, the table of what Outlook keeps)
// are read a line at a time, and a mistake in one is reported by its line's
// number.

#include <cstddef>
#include <string_view>

namespace quorvane {

// Hands out the lines of a text one at a time, numbered from 1, without
// their line ends (LF or CR LF).
class NumberedLines {
public:
    explicit NumberedLines(std::string_view text) : rest_(text) {}

    // Moves to the next line; false when there is none.
    bool next() {
        if (rest_.empty())
            return false;
        ++number_;
        const std::size_t end = rest_.find('\n');
        line_ = rest_.substr(0, end);
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        if (!line_.empty() && line_.back() == '\r')
            line_.remove_suffix(1);
        return true;
    }

    std::string_view line() const { return line_; }
    std::size_t number() const { return number_; }

private:
    std::string_view rest_;
    std::string_view line_;
    std::size_t number_ = 0;
};

} // namespace quorvane
