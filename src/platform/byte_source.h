#pragma once
// Where the card reader gets a file's bytes from: a file on disk in the
// program, a block of memory in tests. Pulling small blocks keeps a file of
// any size from ever being held whole.

#include "base/outcome.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace quorvane {

class ByteSource {
public:
    virtual ~ByteSource() = default;

    // Fills the front of `buffer` with the next bytes and says how many it
    // wrote. It may write fewer than fit, even one at a time; 0 means the end
    // (it is only returned for an empty `buffer` or at the end). A failure
    // carries the system's own words; after the end or a failure the source
    // is not asked again.
    virtual Outcome<std::size_t> read(std::span<char> buffer) = 0;

    // How many bytes the source held when it was opened, 0 when unknown: the
    // progress bar moves through a long file by it.
    virtual std::uint64_t size() const { return 0; }
};

} // namespace quorvane
