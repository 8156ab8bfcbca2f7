#include "cards/card_identity.h"

#include "cards/card_line.h"
#include "cards/card_text.h"
#include "cards/quoted_printable.h"
#include "text/ascii_text.h"

namespace quorvane {

CardIdentity ReadCardIdentity(std::string_view card, TextEncoding encoding) {
    // E-mail addresses and phone numbers are ASCII in every export.
    std::string converted;
    const std::string_view text = CardTextOf(card, encoding, converted);
    CardIdentity identity;
    std::string joined, decoded;
    ForEachOwnLine(text, [&](const LogicalLine& line) {
        const auto property = SplitPropertyLine(Unfolded(line, joined));
        if (!property)
            return;
        const bool email = EqualsIgnoringCase(property->name, "EMAIL");
        const bool company = EqualsIgnoringCase(property->name, "ORG");
        if (!email && !company && !EqualsIgnoringCase(property->name, "TEL"))
            return;
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
    });
    return identity;
}

} // namespace quorvane
