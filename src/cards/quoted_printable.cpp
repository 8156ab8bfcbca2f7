#include "cards/quoted_printable.h"

#include <optional>

namespace quorvane {

namespace {

std::optional<unsigned> hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return static_cast<unsigned>(c - '0');
    if (c >= 'A' && c <= 'F')
        return static_cast<unsigned>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return static_cast<unsigned>(c - 'a' + 10);
    return std::nullopt;
}

// The length of the line end at the front of `text`, 0 when none is there.
std::size_t lineEndAt(std::string_view text) {
    if (text.starts_with("\r\n"))
        return 2;
    if (text.starts_with('\r') || text.starts_with('\n'))
        return 1;
    return 0;
}

} // namespace

std::string DecodeQuotedPrintable(std::string_view encoded) {
    std::string bytes;
    bytes.reserve(encoded.size());
    for (std::size_t at = 0; at < encoded.size(); ++at) {
        if (encoded[at] != '=') {
            bytes += encoded[at];
            continue;
        }
        const std::string_view rest = encoded.substr(at + 1);
        if (rest.empty())
            break;
        if (const std::size_t lineEnd = lineEndAt(rest)) {
            at += lineEnd;
            continue;
        }
        const auto high = hexDigit(rest[0]);
        const auto low = rest.size() > 1 ? hexDigit(rest[1]) : std::nullopt;
        if (!high || !low) {
            bytes += '=';
            continue;
        }
        bytes += static_cast<char>(*high << 4 | *low);
        at += 2;
    }
    return bytes;
}

} // namespace quorvane
