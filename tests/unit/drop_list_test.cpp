// The CF_HDROP block a drag source hands over, read without trusting it.

#include "queue/drop_list.h"
#include "text/utf16_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace quorvane;
using namespace std::string_literals;

namespace {

using Paths = std::vector<std::string>;
using Block = std::vector<std::byte>;

void putUint32(Block& block, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        block[at + i] = static_cast<std::byte>(value >> (8 * i));
}

Block header(std::uint32_t listOffset, bool wide) {
    Block block(DropListHeader::Size);
    putUint32(block, DropListHeader::ListOffsetAt, listOffset);
    putUint32(block, DropListHeader::WideFlagAt, wide ? 1 : 0);
    return block;
}

Block wideList(const std::u16string& nulSeparated) {
    Block block = header(DropListHeader::Size, true);
    for (const char16_t unit : nulSeparated) {
        block.push_back(static_cast<std::byte>(unit & 0xFF));
        block.push_back(static_cast<std::byte>(unit >> 8));
    }
    return block;
}

Block ansiList(const std::string& nulSeparated) {
    Block block = header(DropListHeader::Size, false);
    for (const char c : nulSeparated)
        block.push_back(static_cast<std::byte>(c));
    return block;
}

// Stands in for the system code page: Latin-1.
std::string latin1ToUtf8(std::string_view ansi) {
    std::u16string wide(ansi.begin(), ansi.end());
    for (std::size_t i = 0; i < ansi.size(); ++i)
        wide[i] = static_cast<unsigned char>(ansi[i]);
    return Utf8FromUtf16(wide);
}

std::optional<Paths> parse(const Block& block) {
    return ParseDropList(block, latin1ToUtf8);
}

TEST(ParseDropList, ReadsWideAndAnsiListsInTheirOrder) {
    EXPECT_EQ(parse(wideList(u"C:\\in\\a.txt\0C:\\in\\\u00dc\0D:\\\0\0"s)),
              (Paths{"C:\\in\\a.txt", "C:\\in\\\xC3\x9C", "D:\\"}));
    EXPECT_EQ(parse(ansiList("C:\\a.vcf\0C:\\\xDC.vcf\0\0"s)),
              (Paths{"C:\\a.vcf", "C:\\\xC3\x9C.vcf"}));
    // An empty list is well formed and names nothing.
    EXPECT_EQ(parse(wideList(u"\0"s)), Paths{});
    // Whatever follows the ending empty path is not read.
    EXPECT_EQ(parse(wideList(u"a\0\0garbage"s)), Paths{"a"});
}

TEST(ParseDropList, TheListMayStartAnywhereAfterTheHeader) {
    Block block = header(DropListHeader::Size + 3, true);
    block.insert(block.end(), 3, std::byte{0x7F});
    for (const char c : "x\0\0\0\0\0"s)
        block.push_back(static_cast<std::byte>(c));
    EXPECT_EQ(parse(block), Paths{"x"});
}

TEST(ParseDropList, RejectsBlocksWhoseListIsNotInsideAndEndedThere) {
    EXPECT_FALSE(parse(Block(DropListHeader::Size - 1)));
    EXPECT_FALSE(parse(header(DropListHeader::Size, true))); // no list at all
    // Offsets inside the header, at the end, past the end, and far past it.
    for (const std::uint32_t offset : {0u, 19u, 26u, 27u, 0xFFFFFFFFu}) {
        Block block = wideList(u"a\0\0"s);
        putUint32(block, DropListHeader::ListOffsetAt, offset);
        EXPECT_FALSE(parse(block)) << offset;
    }
    // Missing the ending empty path, or both NULs.
    EXPECT_FALSE(parse(wideList(u"C:\\no-end\0"s)));
    EXPECT_FALSE(parse(wideList(u"C:\\no-end"s)));
    EXPECT_FALSE(parse(ansiList("C:\\no-end\0"s)));
    // A wide NUL is two zero bytes of one character, not the halves of two.
    Block split = wideList(u"\u0100\u0001"s);
    split.push_back(std::byte{0});
    EXPECT_FALSE(parse(split));
    // A last half character is not read as the end.
    Block odd = wideList(u"a\0"s);
    odd.push_back(std::byte{0});
    EXPECT_FALSE(parse(odd));
}

TEST(Utf16Text, EncodesEveryPlaneEitherWayAndReplacesWhatIsMalformed) {
    EXPECT_EQ(Utf8FromUtf16(u"a\u00e4\u20ac\U0001F600"), "a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8FromUtf16(u"\xD83D"s), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf8FromUtf16(u"\xDE00x\xD83D"s), "\xEF\xBF\xBDx\xEF\xBF\xBD");
    EXPECT_EQ(Utf16BytesFromUtf8("a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80\xC3", ByteOrder::BigEndian),
              "\0a\0\xE4\x20\xAC\xD8\x3D\xDE\x00\xFF\xFD"s);
    EXPECT_EQ(Utf16BytesFromUtf8("\xED\xA0\x80", ByteOrder::LittleEndian),
              "\xFD\xFF\xFD\xFF\xFD\xFF"); // a surrogate written as UTF-8
}

} // namespace
