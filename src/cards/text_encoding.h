#pragma once
// How a vCard file's text is stored, told from its first bytes. Phones and
// Outlook write UTF-8, a Windows code page or UTF-16; the reader must know
// which before it can see a line end.

#include <cstddef>
#include <string_view>

namespace quorvane {

enum class TextEncoding {
    Utf8,       // a UTF-8 byte-order mark, or non-ASCII text that reads as UTF-8
    Utf16Le,    // a FF FE mark, or zero bytes at odd offsets around a BEGIN:VCARD
    Utf16Be,    // a FE FF mark, or zero bytes at even offsets around a BEGIN:VCARD
    SingleByte, // ASCII, or text in a code page; names are still read as UTF-8 where they are
};

constexpr bool IsUtf16(TextEncoding encoding) {
    return encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be;
}

struct DetectedEncoding {
    TextEncoding encoding = TextEncoding::SingleByte;
    std::size_t byteOrderMarkSize = 0; // bytes of the file's mark, 0 without one
};

// The encoding the byte-order mark `head` starts with stands for, and the
// mark's size; a size of 0 without one.
DetectedEncoding ByteOrderMarkAt(std::string_view head);

// How many of a file's first bytes DetectTextEncoding wants to see (fewer
// only when the file is shorter).
inline constexpr std::size_t EncodingDetectionBytes = 512;

// The encoding of the file that starts with `head`. A mark decides; without
// one, UTF-16 is told by its zero bytes, which ASCII letters leave in every
// other byte, when the text they make holds a BEGIN:VCARD: 8-bit text may
// hold stray NUL bytes, but never reads as a card in UTF-16.
DetectedEncoding DetectTextEncoding(std::string_view head);

} // namespace quorvane
