#include "cards/read_buffer.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace quorvane {

namespace {

constexpr std::size_t MaxGrowth = 16;

} // namespace

ReadBuffer::ReadBuffer(std::size_t blockSize) : blockSize_(blockSize) {
    assert(blockSize > 0 && "a read buffer reads at least a byte at a time");
}

Outcome<void> ReadBuffer::readMore(ByteSource& source, std::uint64_t keepFrom) {
    assert(keepFrom >= start_ && keepFrom <= end() && "only held bytes can be kept");
    assert(!sourceEnded_ && "nothing comes after the source's end");
    const auto forgotten = static_cast<std::size_t>(keepFrom - start_);
    if (forgotten > 0) {
        std::memmove(storage_.get(), storage_.get() + forgotten, size_ - forgotten);
        size_ -= forgotten;
        start_ = keepFrom;
    }
    // Room grows by doubling up to MaxGrowth blocks and then that much at a
    // time, so that a card held up to the reader's bound costs little more
    // than the bound; room left over from such a card is given back.
    const std::size_t wanted = size_ + blockSize_;
    const std::size_t growth = std::max(blockSize_, std::min(capacity_, MaxGrowth * blockSize_));
    const bool oversized = capacity_ > 2 * std::max(wanted, MaxGrowth * blockSize_);
    if (capacity_ < wanted || oversized) {
        const std::size_t capacity = oversized ? wanted : size_ + growth;
        auto storage = std::make_unique_for_overwrite<char[]>(capacity);
        if (size_ > 0)
            std::memcpy(storage.get(), storage_.get(), size_);
        storage_ = std::move(storage);
        capacity_ = capacity;
    }
    const Outcome<std::size_t> read =
        source.read(std::span<char>(storage_.get() + size_, capacity_ - size_));
    if (!read)
        return read.failure();
    if (read.value() == 0)
        sourceEnded_ = true;
    size_ += std::min(read.value(), capacity_ - size_);
    return Success();
}

} // namespace quorvane
