#include "cards/charset_repair.h"

#include "cards/card_line.h"
#include "cards/quoted_printable.h"
#include "text/ascii_text.h"
#include "text/byte_order_mark.h"
#include "text/utf8_text.h"

#include <algorithm>

namespace quorvane {

namespace {

// Whether any property of `text` may be quoted-printable, which takes the
// word in its parameters; a quoted-printable value may hold bytes of 0x80
// or more in ASCII text.
bool mentionsQuotedPrintable(std::string_view text) {
    constexpr std::string_view word = "quoted-printable";
    return std::search(text.begin(), text.end(), word.begin(), word.end(),
                       [](char c, char lower) { return LowerAscii(c) == lower; }) != text.end();
}

} // namespace

std::optional<CharsetRepair> RepairMissingCharsets(std::string_view card, TextEncoding encoding) {
    if (IsUtf16(encoding))
        return std::nullopt;
    const std::size_t textStart =
        card.starts_with(Utf8ByteOrderMark) ? Utf8ByteOrderMark.size() : 0;
    if (IsAscii(card.substr(textStart)) && !mentionsQuotedPrintable(card))
        return std::nullopt;

    std::optional<CharsetRepair> repair;
    std::size_t copied = 0; // how much of `card` is in repair->bytes
    std::string joined, decoded;
    for (std::size_t at = textStart; at < card.size();) {
        const LogicalLine line = LogicalLineAt(card, at);
        at = line.next;
        const auto property = SplitPropertyLine(line.first);
        if (!property || property->name.empty())
            continue;
        const ValueEncoding valueEncoding = ReadValueEncoding(property->parameters);
        // Unfolding drops bytes but adds none: an ASCII line holds a byte of
        // 0x80 or more only in quoted-printable.
        if (valueEncoding.charset || (!valueEncoding.quotedPrintable && IsAscii(line.written)))
            continue;
        // Unfolding changes nothing on the first line, where the value starts.
        std::string_view value =
            Unfolded(line, joined)
                .substr(static_cast<std::size_t>(property->value.data() - line.first.data()));
        if (valueEncoding.quotedPrintable) {
            DecodeQuotedPrintable(value, decoded);
            value = decoded;
        }
        if (IsAscii(value) || !IsUtf8(value))
            continue;

        if (!repair) {
            repair.emplace();
            repair->bytes.reserve(card.size() + 4 * AddedCharsetParameter.size());
        }
        const auto colon = static_cast<std::size_t>(property->value.data() - card.data()) - 1;
        repair->bytes.append(card.substr(copied, colon - copied));
        repair->bytes.append(AddedCharsetParameter);
        copied = colon;
        std::string name = UpperAscii(property->name);
        if (std::find(repair->properties.begin(), repair->properties.end(), name) ==
            repair->properties.end())
            repair->properties.push_back(std::move(name));
    }
    if (repair)
        repair->bytes.append(card.substr(copied));
    return repair;
}

} // namespace quorvane
