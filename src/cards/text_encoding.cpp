#include "cards/text_encoding.h"

#include "text/utf8_text.h"

#include <algorithm>

namespace quorvane {

namespace {

// A zero byte in one of every four units is well below what the ASCII lines
// of a card leave, and well above what a stray NUL in 8-bit junk does.
bool manyZeros(std::size_t zeros, std::size_t units) {
    return zeros > 0 && zeros * 4 >= units;
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

DetectedEncoding DetectTextEncoding(std::string_view head) {
    if (head.starts_with("\xEF\xBB\xBF"))
        return {TextEncoding::Utf8, 3};
    if (head.starts_with("\xFF\xFE"))
        return {TextEncoding::Utf16Le, 2};
    if (head.starts_with("\xFE\xFF"))
        return {TextEncoding::Utf16Be, 2};

    head = head.substr(0, EncodingDetectionBytes);
    std::size_t evenZeros = 0;
    std::size_t oddZeros = 0;
    for (std::size_t at = 0; at < head.size(); ++at) {
        if (head[at] == '\0')
            ++(at % 2 == 0 ? evenZeros : oddZeros);
    }
    const std::size_t units = head.size() / 2;
    if (oddZeros >= evenZeros && manyZeros(oddZeros, units))
        return {TextEncoding::Utf16Le, 0};
    if (manyZeros(evenZeros, units))
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
    if (!isAscii(whole) && IsUtf8(whole))
        return {TextEncoding::Utf8, 0};
    return {TextEncoding::SingleByte, 0};
}

} // namespace quorvane
