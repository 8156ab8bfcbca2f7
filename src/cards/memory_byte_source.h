#pragma once
// A file's bytes held in memory, handed out the way a file would: for tests,
// the fuzzer and the benchmark. Handing them out in small pieces puts the
// ends of blocks where a file on a slow disk or a network share may put them.

#include "platform/byte_source.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvane {

class MemoryByteSource final : public ByteSource {
public:
    // Hands out `bytes` as fast as asked.
    explicit MemoryByteSource(std::string bytes) : bytes_(std::move(bytes)) {}
    // Hands out at most pieceSizes[0] bytes, then pieceSizes[1], and so on,
    // starting over after the last; every size is at least 1.
    MemoryByteSource(std::string bytes, std::vector<std::size_t> pieceSizes)
        : bytes_(std::move(bytes)), pieceSizes_(std::move(pieceSizes)) {}

    Outcome<std::size_t> read(std::span<char> buffer) override {
        std::size_t size = std::min(buffer.size(), bytes_.size() - offset_);
        if (!pieceSizes_.empty())
            size = std::min(size,
                            std::max<std::size_t>(1, pieceSizes_[piece_++ % pieceSizes_.size()]));
        std::copy_n(bytes_.data() + offset_, size, buffer.data());
        offset_ += size;
        return size;
    }

    std::uint64_t size() const override { return bytes_.size(); }

    std::string_view bytes() const { return bytes_; }

private:
    std::string bytes_;
    std::vector<std::size_t> pieceSizes_;
    std::size_t offset_ = 0;
    std::size_t piece_ = 0;
};

} // namespace quorvane
