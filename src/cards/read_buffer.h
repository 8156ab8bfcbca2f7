#pragma once
// A window onto a file's bytes that slides forward as the reader is done with
// them, so that a file of any size is read holding little more than the card
// at hand. Places are file offsets, which stay put while the window slides.

#include "base/outcome.h"
#include "platform/byte_source.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace quorvane {

class ReadBuffer {
public:
    explicit ReadBuffer(std::size_t blockSize);

    std::uint64_t start() const { return start_; }       // offset of the first byte held
    std::uint64_t end() const { return start_ + size_; } // offset just past the last one
    // Whether the source has reported its end: nothing comes after end().
    bool sourceEnded() const { return sourceEnded_; }

    // The bytes held from `from` to `to`; both lie within [start(), end()].
    std::string_view bytes(std::uint64_t from, std::uint64_t to) const {
        return {storage_.get() + (from - start_), static_cast<std::size_t>(to - from)};
    }
    unsigned char byteAt(std::uint64_t offset) const {
        return static_cast<unsigned char>(storage_[offset - start_]);
    }

    // Forgets the bytes before `keepFrom` and reads at least one block's worth
    // of room from `source`. A failure is the source's own.
    Outcome<void> readMore(ByteSource& source, std::uint64_t keepFrom);

private:
    std::size_t blockSize_;
    // Not a std::string: growing one writes zeros over every block before the
    // source writes the file over them, a cost as large as the read itself.
    std::unique_ptr<char[]> storage_;
    std::size_t capacity_ = 0;
    std::size_t size_ = 0;
    std::uint64_t start_ = 0;
    bool sourceEnded_ = false;
};

} // namespace quorvane
