#pragma once
// Rows on their way from the folder search's thread to the queue. A batch
// holds a slice of a search's rows (thousands of them in a big folder), so it
// keeps them as the queue's own store does: one text with the rows' ends
// beside it, not a string per row.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

class RowBatch {
public:
    std::size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    // The text of every row together, in bytes.
    std::size_t textSize() const { return text_.size(); }

    void append(std::string_view row);
    // `prefix` and `name` together make one row.
    void append(std::string_view prefix, std::string_view name);
    // `index` is 0-based and must be below size().
    std::string_view at(std::size_t index) const;
    // Keeps the memory, for the next slice.
    void clear();

private:
    std::string text_;
    std::vector<std::size_t> ends_;
};

} // namespace quorvane
