#include "cards/card_identity.h"

#include "cards/card_line.h"
#include "cards/quoted_printable.h"
#include "text/ascii_text.h"
#include "text/byte_order_mark.h"
#include "text/utf16_text.h"

namespace quorvane {

namespace {

// The card's text as UTF-8 or 8-bit bytes, whatever it was stored as: e-mail
// addresses and phone numbers are ASCII in every export.
std::string cardText(std::string_view card, TextEncoding encoding) {
    if (IsUtf16(encoding)) {
        const ByteOrder order =
            encoding == TextEncoding::Utf16Le ? ByteOrder::LittleEndian : ByteOrder::BigEndian;
        if (card.starts_with(Utf16LeByteOrderMark) || card.starts_with(Utf16BeByteOrderMark))
            card.remove_prefix(2);
        return Utf8FromUtf16Bytes(card, order);
    }
    return std::string(WithoutUtf8ByteOrderMark(card));
}

} // namespace

CardIdentity ReadCardIdentity(std::string_view card, TextEncoding encoding) {
    const std::string text = cardText(card, encoding);
    CardIdentity identity;
    int depth = 0;
    std::string joined, decoded;
    for (std::size_t at = 0; at < text.size();) {
        const LogicalLine line = LogicalLineAt(text, at);
        at = line.next;
        // Told apart by their first lines, as the splitter tells them.
        switch (ClassifyCardLine(line.first)) {
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
        const auto property = SplitPropertyLine(Unfolded(line, joined));
        if (!property)
            continue;
        const bool email = EqualsIgnoringCase(property->name, "EMAIL");
        const bool company = EqualsIgnoringCase(property->name, "ORG");
        if (!email && !company && !EqualsIgnoringCase(property->name, "TEL"))
            continue;
        std::string_view value = property->value;
        if (ReadValueEncoding(property->parameters).quotedPrintable) {
            DecodeQuotedPrintable(value, decoded);
            value = decoded;
        }
        value = Trimmed(value);
        if (company) {
            // ORG is the organisation, then its units, each after a ';'.
            if (identity.company.empty())
                identity.company = Trimmed(value.substr(0, value.find(';')));
        } else if (!value.empty()) {
            (email ? identity.emails : identity.phones).emplace_back(value);
        }
    }
    return identity;
}

} // namespace quorvane
