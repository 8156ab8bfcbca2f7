#include "queue/row_store.h"

#include <algorithm>
#include <cassert>

namespace quorvane {

void RowStore::append(std::string_view row) {
    if (blocks_.empty() || blocks_.back().ends.size() >= RowsPerBlock) {
        Block block;
        block.firstRow = count_;
        block.ends.reserve(RowsPerBlock);
        // A block's text grows by doubling: left as it is, a full block could
        // hold almost twice its rows' size. Sized like the block before it,
        // the next one seldom grows at all, and a full block that did grow
        // gives back what it does not use.
        if (!blocks_.empty()) {
            std::string& full = blocks_.back().text;
            if (full.capacity() - full.size() > full.size() / 8)
                full.shrink_to_fit();
            block.text.reserve(full.size() + full.size() / 16);
        }
        blocks_.push_back(std::move(block));
    }
    Block& last = blocks_.back();
    // A block's text never reaches 4 GiB: a path is at most 32,767 UTF-16
    // characters, 96 KiB in UTF-8, and a block holds 1,024 of them.
    last.text.append(row);
    last.ends.push_back(static_cast<std::uint32_t>(last.text.size()));
    ++count_;
}

std::size_t RowStore::blockOf(std::size_t index) const {
    const auto after = std::upper_bound(
        blocks_.begin(), blocks_.end(), index,
        [](std::size_t wanted, const Block& block) { return wanted < block.firstRow; });
    return static_cast<std::size_t>(after - blocks_.begin()) - 1;
}

std::string_view RowStore::at(std::size_t index) const {
    assert(index < count_ && "RowStore::at past the last row");
    const Block& block = blocks_[blockOf(index)];
    const std::size_t inBlock = index - block.firstRow;
    const std::uint32_t begin = inBlock == 0 ? 0 : block.ends[inBlock - 1];
    return std::string_view(block.text).substr(begin, block.ends[inBlock] - begin);
}

void RowStore::erase(std::size_t index) {
    assert(index < count_ && "RowStore::erase past the last row");
    const std::size_t which = blockOf(index);
    Block& block = blocks_[which];
    const std::size_t inBlock = index - block.firstRow;
    const std::uint32_t begin = inBlock == 0 ? 0 : block.ends[inBlock - 1];
    const std::uint32_t length = block.ends[inBlock] - begin;
    block.text.erase(begin, length);
    block.ends.erase(block.ends.begin() + static_cast<std::ptrdiff_t>(inBlock));
    for (std::size_t i = inBlock; i < block.ends.size(); ++i)
        block.ends[i] -= length;
    for (std::size_t i = which + 1; i < blocks_.size(); ++i)
        --blocks_[i].firstRow;
    if (block.ends.empty())
        blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(which));
    --count_;
}

void RowStore::clear() {
    std::vector<Block>().swap(blocks_);
    count_ = 0;
}

} // namespace quorvane
