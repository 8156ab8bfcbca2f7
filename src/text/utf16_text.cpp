#include "text/utf16_text.h"

#include "text/utf8_text.h"

namespace quorvane {

namespace {

constexpr char32_t ReplacementCharacter = 0xFFFD;

bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// `unitAt(at)` gives the code unit at `at`, so text in memory and text in
// either byte order share one decoder.
template <typename UnitAt> std::string utf8FromCodeUnits(std::size_t units, UnitAt unitAt) {
    std::string utf8;
    utf8.reserve(units);
    for (std::size_t at = 0; at < units; ++at) {
        char32_t c = unitAt(at);
        if (isHighSurrogate(c) && at + 1 < units && isLowSurrogate(unitAt(at + 1))) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unitAt(at + 1) - 0xDC00);
            ++at;
        } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
            c = ReplacementCharacter;
        }
        AppendUtf8(utf8, c);
    }
    return utf8;
}

template <typename Unit> std::string utf8FromCodeUnits(std::basic_string_view<Unit> utf16) {
    return utf8FromCodeUnits(utf16.size(),
                             [&](std::size_t at) { return static_cast<char32_t>(utf16[at]); });
}

} // namespace

std::string Utf8FromUtf16(std::u16string_view utf16) {
    return utf8FromCodeUnits(utf16);
}

std::string Utf8FromUtf16(std::wstring_view utf16) {
    return utf8FromCodeUnits(utf16);
}

std::string Utf8FromUtf16Bytes(std::string_view bytes, ByteOrder order) {
    const std::size_t high = order == ByteOrder::LittleEndian ? 1 : 0;
    const auto byteAt = [&](std::size_t at) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[at]));
    };
    std::string utf8 = utf8FromCodeUnits(bytes.size() / 2, [&](std::size_t at) {
        return (byteAt(2 * at + high) << 8) | byteAt(2 * at + (1 - high));
    });
    if (bytes.size() % 2 != 0)
        AppendUtf8(utf8, ReplacementCharacter);
    return utf8;
}

std::string Utf16BytesFromUtf8(std::string_view utf8, ByteOrder order) {
    std::string bytes;
    bytes.reserve(2 * utf8.size());
    const auto unit = [&](char32_t value) {
        const auto high = static_cast<char>(value >> 8);
        const auto low = static_cast<char>(value & 0xFF);
        bytes += order == ByteOrder::LittleEndian ? low : high;
        bytes += order == ByteOrder::LittleEndian ? high : low;
    };
    for (std::size_t at = 0; at < utf8.size();) {
        const char32_t c = NextCodePoint(utf8, at);
        if (c < 0x10000) {
            unit(c);
            continue;
        }
        unit(0xD800 + ((c - 0x10000) >> 10));
        unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
    return bytes;
}

} // namespace quorvane
