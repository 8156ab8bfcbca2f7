#include "queue/drop_list.h"

#include "text/utf16_text.h"

namespace quorvane {

namespace {

std::uint32_t readUint32(std::span<const std::byte> bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= std::to_integer<std::uint32_t>(bytes[at + i]) << (8 * i);
    return value;
}

std::u16string wideText(std::span<const std::byte> bytes) {
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(std::to_integer<unsigned>(bytes[2 * i]) |
                                        std::to_integer<unsigned>(bytes[2 * i + 1]) << 8);
    return text;
}

std::string_view narrowText(std::span<const std::byte> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool isNul(std::span<const std::byte> unit) {
    for (const std::byte b : unit)
        if (b != std::byte{0})
            return false;
    return true;
}

} // namespace

std::optional<std::vector<std::string>> ParseDropList(std::span<const std::byte> block,
                                                      const AnsiToUtf8& ansiToUtf8) {
    if (block.size() < DropListHeader::Size)
        return std::nullopt;
    const std::uint32_t listOffset = readUint32(block, DropListHeader::ListOffsetAt);
    const bool wide = readUint32(block, DropListHeader::WideFlagAt) != 0;
    if (listOffset < DropListHeader::Size || listOffset >= block.size())
        return std::nullopt;

    // Only whole characters count: a wide list's odd last byte is not read.
    const std::span<const std::byte> list = block.subspan(listOffset);
    const std::size_t unit = wide ? 2 : 1;
    std::vector<std::string> paths;
    std::size_t pathStart = 0;
    for (std::size_t at = 0; at + unit <= list.size(); at += unit) {
        if (!isNul(list.subspan(at, unit)))
            continue;
        if (at == pathStart)
            return paths; // the empty path that ends the list
        const auto path = list.subspan(pathStart, at - pathStart);
        paths.push_back(wide ? Utf8FromUtf16(wideText(path)) : ansiToUtf8(narrowText(path)));
        pathStart = at + unit;
    }
    return std::nullopt;
}

} // namespace quorvane
