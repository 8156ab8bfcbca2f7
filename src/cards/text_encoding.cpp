#include "cards/text_encoding.h"

#include "text/ascii_text.h"
#include "text/byte_order_mark.h"
#include "text/utf8_text.h"

#include <utility>

namespace quorvane {

namespace {

// A zero byte in one of every four units is well below what the ASCII lines
// of a card leave, and well above what a stray NUL in 8-bit junk does.
bool manyZeros(std::size_t zeros, std::size_t units) {
    return zeros > 0 && zeros * 4 >= units;
}

// The byte offset of the first BEGIN:VCARD in `head` (any letter case,
// blanks around the colon), read one byte a character (`unit` 1) or as UTF-16
// with the low byte of each unit at `low`; npos without one.
std::size_t firstBegin(std::string_view head, std::size_t unit, std::size_t low) {
    const std::size_t characters = head.size() / unit;
    const auto at = [&](std::size_t index) -> char {
        if (unit == 1)
            return head[index];
        const char c = head[index * 2 + low];
        return head[index * 2 + 1 - low] == '\0' && c != '\0' ? c : '\x80';
    };
    const auto word = [&](std::size_t& index, std::string_view lower) {
        for (const char expected : lower) {
            if (index >= characters || (at(index) | 0x20) != expected)
                return false;
            ++index;
        }
        return true;
    };
    const auto blanks = [&](std::size_t& index) {
        while (index < characters && (at(index) == ' ' || at(index) == '\t'))
            ++index;
    };
    for (std::size_t start = 0; start < characters; ++start) {
        std::size_t index = start;
        if (!word(index, "begin"))
            continue;
        blanks(index);
        if (!word(index, ":"))
            continue;
        blanks(index);
        if (word(index, "vcard"))
            return start * unit;
    }
    return std::string_view::npos;
}

// Whether UTF-16 text with its low bytes at `low` explains the zero bytes of
// `head`: read so, it holds a card, and before any card it holds read one
// byte a character. Stray NUL bytes in 8-bit text can be as many, but they do
// not read as a card in UTF-16. A UTF-16 mark before the card is an export
// joined onto 8-bit text, which the mark itself announces.
bool readsAsUtf16(std::string_view head, std::size_t low) {
    const std::size_t wide = firstBegin(head, 2, low);
    if (wide == std::string_view::npos || wide > firstBegin(head, 1, 0))
        return false;
    const std::string_view before = head.substr(0, wide);
    return before.find(Utf16LeByteOrderMark) == std::string_view::npos &&
           before.find(Utf16BeByteOrderMark) == std::string_view::npos;
}

} // namespace

DetectedEncoding ByteOrderMarkAt(std::string_view head) {
    for (const auto& [mark, encoding] : {std::pair{Utf8ByteOrderMark, TextEncoding::Utf8},
                                         std::pair{Utf16LeByteOrderMark, TextEncoding::Utf16Le},
                                         std::pair{Utf16BeByteOrderMark, TextEncoding::Utf16Be}}) {
        if (head.starts_with(mark))
            return {encoding, mark.size()};
    }
    return {};
}

DetectedEncoding DetectTextEncoding(std::string_view head) {
    if (const DetectedEncoding marked = ByteOrderMarkAt(head); marked.byteOrderMarkSize > 0)
        return marked;

    head = head.substr(0, EncodingDetectionBytes);
    std::size_t evenZeros = 0;
    std::size_t oddZeros = 0;
    for (std::size_t at = 0; at < head.size(); ++at) {
        if (head[at] == '\0')
            ++(at % 2 == 0 ? evenZeros : oddZeros);
    }
    const std::size_t units = head.size() / 2;
    if (oddZeros >= evenZeros && manyZeros(oddZeros, units) && readsAsUtf16(head, 0))
        return {TextEncoding::Utf16Le, 0};
    if (evenZeros >= oddZeros && manyZeros(evenZeros, units) && readsAsUtf16(head, 1))
        return {TextEncoding::Utf16Be, 0};

    // The first block may end inside a character: a cut sequence at its very
    // end does not count against UTF-8.
    std::string_view whole = head;
    for (std::size_t back = 1; back <= 3 && back <= head.size(); ++back) {
        const auto byte = static_cast<unsigned char>(head[head.size() - back]);
        if (byte >= 0xC0) {
            whole = head.substr(0, head.size() - back);
            break;
        }
        if (byte < 0x80)
            break;
    }
    if (!IsAscii(whole) && IsUtf8(whole))
        return {TextEncoding::Utf8, 0};
    return {TextEncoding::SingleByte, 0};
}

} // namespace quorvane
