#pragma once
// The queue's rows, stored compactly. A million queued paths must fit in less
// memory than their UTF-16 text would take, and growing must never need a
// second copy of everything: the text lives in blocks of a bounded number of
// rows, each one string with the rows' ends beside it, so appending touches
// the last block only and removing a row moves the rest of one block.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

class RowStore {
public:
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }

    void append(std::string_view row);
    // `index` is 0-based and must be below size().
    std::string_view at(std::size_t index) const;
    void erase(std::size_t index);
    // Gives the memory back as well.
    void clear();

private:
    struct Block {
        std::string text;                // the rows, one after the other
        std::vector<std::uint32_t> ends; // where each row of the block ends in `text`
        std::size_t firstRow = 0;        // the store-wide index of the block's first row
    };

    // Rows per block: small enough that a removal moves little, large enough
    // that the per-block overhead vanishes against the text.
    static constexpr std::size_t RowsPerBlock = 1024;

    std::size_t blockOf(std::size_t index) const;

    std::vector<Block> blocks_;
    std::size_t count_ = 0;
};

} // namespace quorvane
