#include "cards/quoted_printable.h"

#include <optional>

namespace quorvane {

namespace {

// The value of the hex digit `c` in either case, or -1.
constexpr int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::string DecodeQuotedPrintable(std::string_view encoded) {
    // Decoding only ever shortens, so the bytes are written into room made
    // once rather than appended one at a time.
    std::string bytes(encoded.size(), '\0');
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
    return bytes;
}

} // namespace quorvane
