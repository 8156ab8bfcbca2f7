#include "cards/charset_repair.h"

#include "cards/card_line.h"
#include "cards/quoted_printable.h"
#include "text/byte_words.h"
#include "text/utf8_text.h"

#include <algorithm>
#include <cstdint>

namespace quorvane {

namespace {

constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Whether the "=" at `at` may, once the property is unfolded and its soft
// line breaks are gone, start a quoted-printable byte of 0x80 or more: a hex
// digit 8 to F may follow it, or a line break or soft line break may lie
// between.
bool mayStartHighByte(std::string_view text, std::size_t at) {
    if (at + 1 == text.size())
        return true;
    const char next = text[at + 1];
    return next == '8' || next == '9' || (next >= 'A' && next <= 'F') ||
           (next >= 'a' && next <= 'f') || next == '=' || next == '\r' || next == '\n';
}

// Whether `text` may hold a byte of 0x80 or more: raw, or, when
// `quotedPrintable`, encoded. A word at a time: most text has neither.
bool mayHoldNonAscii(std::string_view text, bool quotedPrintable) {
    std::size_t at = 0;
    for (; text.size() - at >= 8; at += 8) {
        const std::uint64_t word = LoadWord(text.data() + at);
        if ((word & HighBits) != 0)
            return true;
        if (!quotedPrintable)
            continue;
        for (std::uint64_t equals = BytesEqualTo(word, '='); equals != 0; equals &= equals - 1) {
            if (mayStartHighByte(text, at + FirstMarkedByte(equals)))
                return true;
        }
    }
    for (; at < text.size(); ++at) {
        if (static_cast<unsigned char>(text[at]) >= 0x80 ||
            (quotedPrintable && text[at] == '=' && mayStartHighByte(text, at)))
            return true;
    }
    return false;
}

// What one pass over a card tells of it: whether it has a byte of 0x80 or
// more, and whether any property in it may be quoted-printable, which takes
// the word in its parameters.
struct CardSurvey {
    bool highByte = false;
    bool mentionsQuotedPrintable = false;
};

CardSurvey surveyCard(std::string_view text) {
    constexpr std::string_view word = "QUOTED-PRINTABLE";
    CardSurvey survey;
    const auto mentionAt = [&](std::size_t at) {
        return text.size() - at >= word.size() &&
               EqualsIgnoringCase(text.substr(at, word.size()), word);
    };
    std::size_t at = 0;
    for (; text.size() - at >= 8; at += 8) {
        const std::uint64_t bytes = LoadWord(text.data() + at);
        survey.highByte |= (bytes & HighBits) != 0;
        if (survey.mentionsQuotedPrintable)
            continue;
        for (std::uint64_t qs = BytesEqualTo(LowerAsciiWord(bytes), 'q'); qs != 0; qs &= qs - 1)
            survey.mentionsQuotedPrintable |= mentionAt(at + FirstMarkedByte(qs));
    }
    for (; at < text.size(); ++at) {
        survey.highByte |= static_cast<unsigned char>(text[at]) >= 0x80;
        survey.mentionsQuotedPrintable |= LowerAscii(text[at]) == 'q' && mentionAt(at);
    }
    return survey;
}

bool holdsHighByte(std::string_view bytes) {
    return std::any_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// One physical line: its text runs from `start` to `end`, and the next line
// starts at `next` (the end of the card after the last).
struct PhysicalLine {
    std::size_t start = 0;
    std::size_t end = 0;
    std::size_t next = 0;
};

PhysicalLine lineAt(std::string_view text, std::size_t start) {
    std::size_t end = start;
    for (; text.size() - end >= 8; end += 8) {
        const std::uint64_t word = LoadWord(text.data() + end);
        const std::uint64_t ends = BytesEqualTo(word, '\n') | BytesEqualTo(word, '\r');
        if (ends != 0)
            break;
    }
    while (end < text.size() && text[end] != '\n' && text[end] != '\r')
        ++end;
    std::size_t next = end;
    if (next < text.size())
        next += text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n' ? 2 : 1;
    return {start, end, next};
}

// A property's value with its continuation lines joined: a folded line
// loses its leading blank, a soft line break its "=", and neither its line
// end. The lines must be the ones the walk in RepairMissingCharsets found
// to continue the property, `quotedPrintable` as it found it.
void joinValue(std::string_view card, std::string_view firstValue, const PhysicalLine& first,
               const PhysicalLine& last, bool quotedPrintable, std::string& joined) {
    joined.assign(firstValue);
    for (PhysicalLine before = first, line = lineAt(card, first.next); line.start <= last.start;
         before = line, line = lineAt(card, line.next)) {
        const std::string_view text = card.substr(line.start, line.end - line.start);
        if (quotedPrintable && before.end > before.start && card[before.end - 1] == '=') {
            joined.pop_back();
            joined += text;
        } else {
            joined += text.substr(1);
        }
    }
}

std::string upperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

} // namespace

std::optional<CharsetRepair> RepairMissingCharsets(std::string_view card, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be)
        return std::nullopt;
    const std::size_t textStart =
        card.starts_with(Utf8ByteOrderMark) ? Utf8ByteOrderMark.size() : 0;
    const CardSurvey survey = surveyCard(card.substr(textStart));
    if (!survey.highByte && !survey.mentionsQuotedPrintable)
        return std::nullopt;

    std::optional<CharsetRepair> repair;
    std::size_t copied = 0; // how much of `card` is in repair->bytes
    std::string joined, decoded;
    for (std::size_t at = textStart; at < card.size();) {
        const PhysicalLine first = lineAt(card, at);
        const std::string_view firstText = card.substr(first.start, first.end - first.start);
        // Cut and read only when a soft line break or the value asks for it:
        // most lines have neither.
        std::optional<std::optional<PropertyLine>> cut;
        const auto property = [&]() -> const std::optional<PropertyLine>& {
            if (!cut)
                cut = SplitPropertyLine(firstText);
            return *cut;
        };
        std::optional<ValueEncoding> valueEncoding;
        const auto readEncoding = [&]() -> const ValueEncoding& {
            if (!valueEncoding)
                valueEncoding =
                    property() ? ReadValueEncoding(property()->parameters) : ValueEncoding{};
            return *valueEncoding;
        };

        PhysicalLine last = first;
        while (last.next < card.size()) {
            const bool folded = isBlank(card[last.next]);
            const bool softBreak = last.end > last.start && card[last.end - 1] == '=' &&
                                   readEncoding().quotedPrintable;
            if (!folded && !softBreak)
                break;
            last = lineAt(card, last.next);
        }
        at = last.next;

        if (!mayHoldNonAscii(card.substr(first.start, last.end - first.start),
                             survey.mentionsQuotedPrintable))
            continue;
        if (!property() || property()->name.empty() || readEncoding().charset)
            continue;
        const PropertyLine& line = *property();
        const bool quotedPrintable = readEncoding().quotedPrintable;
        std::string_view value = line.value;
        if (last.start != first.start) {
            joinValue(card, value, first, last, quotedPrintable, joined);
            value = joined;
        }
        if (quotedPrintable) {
            DecodeQuotedPrintable(value, decoded);
            value = decoded;
        }
        if (!holdsHighByte(value) || !IsUtf8(value))
            continue;

        if (!repair) {
            repair.emplace();
            repair->bytes.reserve(card.size() + 4 * AddedCharsetParameter.size());
        }
        const std::size_t colon =
            first.start + static_cast<std::size_t>(line.value.data() - firstText.data() - 1);
        repair->bytes.append(card.substr(copied, colon - copied));
        repair->bytes.append(AddedCharsetParameter);
        copied = colon;
        std::string name = upperAscii(line.name);
        if (std::find(repair->properties.begin(), repair->properties.end(), name) ==
            repair->properties.end())
            repair->properties.push_back(std::move(name));
    }
    if (repair)
        repair->bytes.append(card.substr(copied));
    return repair;
}

} // namespace quorvane
