// A CF_HDROP block comes from whichever program started the drag. Reading it
// must stay inside the block whatever its offsets say, take exactly the blocks
// whose list ends inside them, and give back well-formed UTF-8 paths that
// read the same when written into a fresh block.

#include "queue/drop_list.h"
#include "require.h"
#include "text/utf16_text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

using namespace quorvane;
using quorvane::fuzz::require;

namespace {

// Every ANSI byte stands for itself here; the fuzzer only needs a decoder
// that keeps the path's length visible.
std::string ansiAsLatin1(std::string_view ansi) {
    std::string utf8;
    for (const char c : ansi) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
            continue;
        }
        utf8 += static_cast<char>(0xC0 | (byte >> 6));
        utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
    return utf8;
}

// The list must start after the header and reach an empty path (a NUL
// character where a path would start) inside the block.
bool endsInside(const std::uint8_t* data, std::size_t size) {
    if (size < DropListHeader::Size)
        return false;
    std::uint32_t offset = 0;
    std::uint32_t wide = 0;
    std::memcpy(&offset, data + DropListHeader::ListOffsetAt, 4);
    std::memcpy(&wide, data + DropListHeader::WideFlagAt, 4);
    if (offset < DropListHeader::Size || offset >= size)
        return false;
    const std::size_t unit = wide ? 2 : 1;
    bool atPathStart = true;
    for (std::size_t at = offset; at + unit <= size; at += unit) {
        const bool nul = data[at] == 0 && (unit == 1 || data[at + 1] == 0);
        if (nul && atPathStart)
            return true;
        atPathStart = nul;
    }
    return false;
}

// Whether `text` is UTF-8 with no surrogate, overlong form or stray byte.
bool wellFormedUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        std::size_t length = 0;
        char32_t c = 0;
        if (lead < 0x80) {
            ++at;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            c = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            c = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07;
        } else {
            return false;
        }
        if (at + length > text.size())
            return false;
        for (std::size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (next & 0x3F);
        }
        const char32_t shortest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (c < shortest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        at += length;
    }
    return true;
}

// A block as a well-behaved drag source writes it, in UTF-16.
std::vector<std::byte> wideBlock(const std::vector<std::string>& paths) {
    std::vector<std::byte> block(DropListHeader::Size);
    block[DropListHeader::ListOffsetAt] = std::byte{DropListHeader::Size};
    block[DropListHeader::WideFlagAt] = std::byte{1};
    for (const std::string& path : paths) {
        const std::string wide = Utf16BytesFromUtf8(path + '\0', ByteOrder::LittleEndian);
        for (const char byte : wide)
            block.push_back(static_cast<std::byte>(byte));
    }
    block.resize(block.size() + 2); // the empty path that ends the list
    return block;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly the block's size, so reading one byte past it is
    // caught however the fuzzer's own buffer is laid out.
    const std::vector<std::byte> block(reinterpret_cast<const std::byte*>(data),
                                       reinterpret_cast<const std::byte*>(data) + size);
    const auto paths = ParseDropList(block, ansiAsLatin1);

    require(paths.has_value() == endsInside(data, size),
            "a block is taken exactly when its list ends inside it");
    if (!paths)
        return 0;
    for (const std::string& path : *paths) {
        require(!path.empty(), "no path is empty");
        require(path.find('\0') == std::string::npos, "no path holds a NUL");
        require(wellFormedUtf8(path), "every path is well-formed UTF-8");
    }
    require(ParseDropList(wideBlock(*paths), ansiAsLatin1) == paths,
            "the paths read the same from a fresh block");
    return 0;
}
