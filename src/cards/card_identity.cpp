#include "cards/card_identity.h"

#include "cards/card_line.h"
#include "cards/quoted_printable.h"
#include "text/byte_order_mark.h"
#include "text/utf16_text.h"

namespace quorvane {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The card's text as UTF-8 or 8-bit bytes, whatever it was stored as: e-mail
// addresses and phone numbers are ASCII in every export.
std::string cardText(std::string_view card, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be) {
        const ByteOrder order =
            encoding == TextEncoding::Utf16Le ? ByteOrder::LittleEndian : ByteOrder::BigEndian;
        if (card.starts_with(Utf16LeByteOrderMark) || card.starts_with(Utf16BeByteOrderMark))
            card.remove_prefix(2);
        return Utf8FromUtf16Bytes(card, order);
    }
    return std::string(WithoutUtf8ByteOrderMark(card));
}

std::string trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

} // namespace

CardIdentity ReadCardIdentity(std::string_view card, TextEncoding encoding) {
    const std::string text = cardText(card, encoding);
    // Unfolded logical lines; a quoted-printable soft break joins too.
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line(text.data() + at, end - at);
        const bool softBreak = !lines.empty() && lines.back().ends_with('=') &&
                               lines.back().find("QUOTED-PRINTABLE") != std::string::npos;
        if (!lines.empty() && !line.empty() && isBlank(line.front()))
            lines.back().append(line.substr(1));
        else if (softBreak)
            lines.back().append("\n").append(line);
        else
            lines.emplace_back(line);
        at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }

    CardIdentity identity;
    int depth = 0;
    std::string decoded;
    for (const std::string& line : lines) {
        switch (ClassifyCardLine(line)) {
        case CardLine::Begin:
        case CardLine::AgentOpensCard:
            ++depth;
            continue;
        case CardLine::End:
            --depth;
            continue;
        default:
            break;
        }
        if (depth != 1)
            continue;
        const auto property = SplitPropertyLine(line);
        if (!property)
            continue;
        const bool email = EqualsIgnoringCase(property->name, "EMAIL");
        if (!email && !EqualsIgnoringCase(property->name, "TEL"))
            continue;
        std::string value(property->value);
        if (ReadValueEncoding(property->parameters).quotedPrintable) {
            DecodeQuotedPrintable(value, decoded);
            value = decoded;
        }
        value = trimmed(value);
        if (value.empty())
            continue;
        (email ? identity.emails : identity.phones).push_back(std::move(value));
    }
    return identity;
}

} // namespace quorvane
