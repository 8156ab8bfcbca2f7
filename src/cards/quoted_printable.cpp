#include "cards/quoted_printable.h"

#include <array>

namespace quorvane {

namespace {

// The value of each byte as a hex digit in either case, or -1.
constexpr std::array<signed char, 256> HexValues = [] {
    std::array<signed char, 256> values{};
    for (int byte = 0; byte < 256; ++byte) {
        if (byte >= '0' && byte <= '9')
            values[byte] = static_cast<signed char>(byte - '0');
        else if (byte >= 'A' && byte <= 'F')
            values[byte] = static_cast<signed char>(byte - 'A' + 10);
        else if (byte >= 'a' && byte <= 'f')
            values[byte] = static_cast<signed char>(byte - 'a' + 10);
        else
            values[byte] = -1;
    }
    return values;
}();

int hexValue(char c) {
    return HexValues[static_cast<unsigned char>(c)];
}

} // namespace

void DecodeQuotedPrintable(std::string_view encoded, std::string& bytes) {
    // Decoding only ever shortens, so the bytes are written into room made
    // once rather than appended one at a time.
    bytes.resize(encoded.size());
    char* out = bytes.data();
    const char* at = encoded.data();
    const char* const end = at + encoded.size();
    while (at < end) {
        const char c = *at++;
        if (c != '=') {
            *out++ = c;
            continue;
        }
        if (at == end)
            break;
        // A soft line break: "=" and the line end both go.
        if (*at == '\r' || *at == '\n') {
            at += *at == '\r' && end - at > 1 && at[1] == '\n' ? 2 : 1;
            continue;
        }
        const int high = hexValue(at[0]);
        const int low = end - at > 1 ? hexValue(at[1]) : -1;
        if (high < 0 || low < 0) {
            *out++ = '=';
            continue;
        }
        *out++ = static_cast<char>(high << 4 | low);
        at += 2;
    }
    bytes.resize(static_cast<std::size_t>(out - bytes.data()));
}

} // namespace quorvane
