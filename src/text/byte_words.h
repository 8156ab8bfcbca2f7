#pragma once
// Looking at eight bytes of text at once in a 64-bit word. Names, parameters
// and the ends of lines are short, too short for the library's searches to
// pay for their start-up, and too long to go through a byte at a time on
// every line of every card; these let the name reader pass over them a word
// at a time in plain, portable C++.

#include <bit>
#include <cstdint>
#include <cstring>

namespace quorvane {

// Places within a word are counted from its lowest byte, the first in memory.
static_assert(std::endian::native == std::endian::little,
              "byte words are read in the byte order of x86 and ARM");

inline constexpr std::uint64_t EveryByte = 0x0101010101010101;
inline constexpr std::uint64_t HighBits = 0x8080808080808080;

// The eight bytes at `bytes`, which need not be aligned.
inline std::uint64_t LoadWord(const char* bytes) {
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// Whether any byte of `word` is below `limit` (at most 0x80).
constexpr bool HasByteBelow(std::uint64_t word, std::uint64_t limit) {
    return ((word - EveryByte * limit) & ~word & HighBits) != 0;
}

// Whether any byte of `word` is `byte`.
constexpr bool HasByte(std::uint64_t word, unsigned char byte) {
    const std::uint64_t differences = word ^ (EveryByte * byte);
    return ((differences - EveryByte) & ~differences & HighBits) != 0;
}

// The high bit of every byte of `word` that is `byte`, and no other bit.
// Unlike HasByte, a match does not disturb the bytes above it, so the mask
// tells where each match is.
constexpr std::uint64_t BytesEqualTo(std::uint64_t word, unsigned char byte) {
    constexpr std::uint64_t lowBits = ~HighBits;
    const std::uint64_t differences = word ^ (EveryByte * byte);
    return ~(((differences & lowBits) + lowBits) | differences | lowBits);
}

// `word` with its ASCII capital letters in lower case, all eight at once.
constexpr std::uint64_t LowerAsciiWord(std::uint64_t word) {
    // Adding to the low seven bits of each byte sets its high bit from 'A'
    // on, and from past 'Z' on, without carrying into the next byte.
    const std::uint64_t low = word & ~HighBits;
    const std::uint64_t fromA = low + EveryByte * (0x80 - 'A');
    const std::uint64_t pastZ = low + EveryByte * (0x80 - 'Z' - 1);
    const std::uint64_t capitals = fromA & ~pastZ & ~word & HighBits;
    return word | (capitals >> 2); // 0x80 >> 2 is the 0x20 that lowers a letter
}

// The place (0 to 7) of the first and of the last byte a non-zero mask from
// BytesEqualTo marks.
constexpr unsigned FirstMarkedByte(std::uint64_t mask) {
    return static_cast<unsigned>(std::countr_zero(mask)) / 8;
}
constexpr unsigned LastMarkedByte(std::uint64_t mask) {
    return (63 - static_cast<unsigned>(std::countl_zero(mask))) / 8;
}

} // namespace quorvane
