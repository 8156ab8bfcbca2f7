#pragma once
// The file list a drag source hands over as CF_HDROP: a DROPFILES header, then
// at its pFiles offset the paths, each ended by a NUL, the list ended by an
// empty path. The drag source can be any program, so nothing in the block is
// trusted: the list must start after the header, lie inside the block and end
// there.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// DROPFILES as Windows lays it out, little-endian: pFiles (DWORD), pt (two
// LONGs), fNC (BOOL), fWide (BOOL).
namespace DropListHeader {
inline constexpr std::size_t ListOffsetAt = 0;
inline constexpr std::size_t WideFlagAt = 16;
inline constexpr std::size_t Size = 20;
} // namespace DropListHeader

// Turns one path of an ANSI list, in the sending system's code page, into
// UTF-8. Only Windows knows that code page, so the caller supplies it.
using AnsiToUtf8 = std::function<std::string(std::string_view)>;

// The paths of the block in their order, in UTF-8: UTF-16 ones converted here,
// ANSI ones by `ansiToUtf8`. An empty list gives no paths; a block too short
// for its header, with its list outside the block, or without the ending
// empty path gives nothing at all.
std::optional<std::vector<std::string>> ParseDropList(std::span<const std::byte> block,
                                                      const AnsiToUtf8& ansiToUtf8);

} // namespace quorvane
