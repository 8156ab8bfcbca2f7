#include "text/utf8_text.h"

#include "text/byte_words.h"

namespace quorvane {

namespace {

constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

// The length of the well-formed sequence at the front of `text`, or 0 when its
// first byte starts none.
std::size_t wellFormedSequenceAt(std::string_view text) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    // The second byte's range rules out overlong forms, surrogates and
    // anything past U+10FFFF without decoding.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t at = 2; at < length; ++at) {
        if ((byte(at) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

} // namespace

bool IsUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        // Names and the text around them are mostly ASCII, which needs no
        // look at what follows each byte: eight bytes without a high bit are
        // passed at once.
        if (text.size() - at >= 8) {
            if ((LoadWord(text.data() + at) & HighBits) == 0) {
                at += 8;
                continue;
            }
        }
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        const std::size_t length = wellFormedSequenceAt(text.substr(at));
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

std::string WellFormedUtf8(std::string_view text) {
    std::string wellFormed;
    wellFormed.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = wellFormedSequenceAt(text.substr(at));
        if (length == 0) {
            wellFormed += ReplacementCharacter;
            ++at;
            continue;
        }
        wellFormed += text.substr(at, length);
        at += length;
    }
    return wellFormed;
}

std::size_t Utf8SequenceLength(std::string_view text) {
    const std::size_t length = text.empty() ? 0 : wellFormedSequenceAt(text);
    return length == 0 ? 1 : length;
}

std::size_t Utf8PrefixBytes(std::string_view text, std::size_t characters) {
    std::size_t at = 0;
    for (; characters > 0 && at < text.size(); --characters)
        at += Utf8SequenceLength(text.substr(at));
    return at < text.size() ? at : text.size();
}

char32_t NextCodePoint(std::string_view text, std::size_t& at) {
    const std::size_t length = wellFormedSequenceAt(text.substr(at));
    if (length == 0) {
        ++at;
        return 0xFFFD;
    }
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    // The lead byte keeps the bits its length marker leaves.
    char32_t c = length == 1 ? byte(0) : byte(0) & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i)
        c = (c << 6) | (byte(i) & 0x3F);
    at += length;
    return c;
}

void AppendUtf8(std::string& text, char32_t c) {
    const auto byte = [&](char32_t bits) { text.push_back(static_cast<char>(bits)); };
    if (c < 0x80) {
        byte(c);
    } else if (c < 0x800) {
        byte(0xC0 | (c >> 6));
        byte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        byte(0xE0 | (c >> 12));
        byte(0x80 | ((c >> 6) & 0x3F));
        byte(0x80 | (c & 0x3F));
    } else {
        byte(0xF0 | (c >> 18));
        byte(0x80 | ((c >> 12) & 0x3F));
        byte(0x80 | ((c >> 6) & 0x3F));
        byte(0x80 | (c & 0x3F));
    }
}

std::string Utf8Shortened(std::string_view text, std::size_t characters) {
    const std::size_t keep = Utf8PrefixBytes(text, characters);
    if (keep == text.size())
        return std::string(text);
    return std::string(text.substr(0, keep)) + "\xE2\x80\xA6"; // …
}

} // namespace quorvane
