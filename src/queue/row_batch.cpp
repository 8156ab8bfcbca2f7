#include "queue/row_batch.h"

#include <cassert>

namespace quorvane {

void RowBatch::append(std::string_view row) {
    text_.append(row);
    ends_.push_back(text_.size());
}

void RowBatch::append(std::string_view prefix, std::string_view name) {
    text_.append(prefix).append(name);
    ends_.push_back(text_.size());
}

std::string_view RowBatch::at(std::size_t index) const {
    assert(index < ends_.size() && "RowBatch::at past the last row");
    const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(text_).substr(begin, ends_[index] - begin);
}

void RowBatch::clear() {
    text_.clear();
    ends_.clear();
}

} // namespace quorvane
