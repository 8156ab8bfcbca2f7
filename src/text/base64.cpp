#include "text/base64.h"

#include <array>
#include <cstdint>

namespace quorvane {

namespace {

constexpr std::uint8_t NotBase64 = 0xFF;

constexpr std::array<std::uint8_t, 256> sextets() {
    std::array<std::uint8_t, 256> table{};
    table.fill(NotBase64);
    constexpr std::string_view alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t at = 0; at < alphabet.size(); ++at)
        table[static_cast<unsigned char>(alphabet[at])] = static_cast<std::uint8_t>(at);
    table['-'] = 62;
    table['_'] = 63;
    return table;
}

constexpr std::array<std::uint8_t, 256> Sextets = sextets();

} // namespace

void DecodeBase64(std::string_view text, std::string& bytes) {
    bytes.clear();
    bytes.reserve(text.size() / 4 * 3 + 3);
    std::uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        if (c == '=')
            break;
        const std::uint8_t sextet = Sextets[static_cast<unsigned char>(c)];
        if (sextet == NotBase64)
            continue;
        bits = (bits << 6) | sextet;
        if (++count == 4) {
            bytes += static_cast<char>((bits >> 16) & 0xFF);
            bytes += static_cast<char>((bits >> 8) & 0xFF);
            bytes += static_cast<char>(bits & 0xFF);
            bits = 0;
            count = 0;
        }
    }
    // Two or three sextets left over hold one or two last bytes.
    if (count == 2) {
        bytes += static_cast<char>((bits >> 4) & 0xFF);
    } else if (count == 3) {
        bytes += static_cast<char>((bits >> 10) & 0xFF);
        bytes += static_cast<char>((bits >> 2) & 0xFF);
    }
}

} // namespace quorvane
