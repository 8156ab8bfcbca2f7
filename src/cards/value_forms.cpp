#include "cards/value_forms.h"

#include "cards/card_line.h"
#include "text/ascii_text.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace quorvane {

namespace {

constexpr std::string_view LineBreak = "\r\n";

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number the digits of `text` write; `text` is all digits.
int number(std::string_view text) {
    int value = 0;
    for (const char c : text)
        value = value * 10 + (c - '0');
    return value;
}

// "MMDD" (at least) as "MM-DD", when it is a day of the year.
std::optional<std::string> monthAndDay(std::string_view digits) {
    const int month = number(digits.substr(0, 2));
    const int day = number(digits.substr(2, 2));
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    return std::string(digits.substr(0, 2)) + "-" + std::string(digits.substr(2, 2));
}

// `text` without a time after a 'T', and without its hyphens.
std::string dateDigits(std::string_view text) {
    text = text.substr(0, text.find_first_of("Tt"));
    std::string digits;
    for (const char c : text) {
        if (c != '-')
            digits += c;
    }
    return digits;
}

// The `pieces` that are not empty, with `separator` between them.
std::string joinedNonEmpty(std::initializer_list<std::string_view> pieces,
                           std::string_view separator) {
    std::string text;
    for (const std::string_view piece : pieces) {
        if (piece.empty())
            continue;
        if (!text.empty())
            text += separator;
        text += piece;
    }
    return text;
}

bool allDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}

} // namespace

std::string UnescapedText(std::string_view value, Escapes escapes) {
    std::string text;
    text.reserve(value.size());
    for (std::size_t at = 0; at < value.size(); ++at) {
        const char c = value[at];
        if (c == '\\' && at + 1 < value.size()) {
            const char next = value[at + 1];
            if (escapes == Escapes::Version3) {
                ++at;
                if (next == 'n' || next == 'N')
                    text += LineBreak;
                else
                    text += next;
                continue;
            }
            if (next == ';' || next == '\\') {
                ++at;
                text += next;
                continue;
            }
        }
        if (c == '\r' || c == '\n') {
            // CR LF, a lone LF and a lone CR are each one line break.
            if (c == '\r' && at + 1 < value.size() && value[at + 1] == '\n')
                ++at;
            text += LineBreak;
            continue;
        }
        text += c;
    }
    return text;
}

std::vector<std::string> ValueParts(std::string_view value, char separator, Escapes escapes) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= value.size(); ++at) {
        if (at < value.size() && value[at] == '\\') {
            ++at; // the escaped character never separates
            continue;
        }
        if (at == value.size() || value[at] == separator) {
            parts.push_back(UnescapedText(value.substr(start, at - start), escapes));
            start = at + 1;
        }
    }
    return parts;
}

std::string AddressLines(std::string_view value, Escapes escapes) {
    std::vector<std::string> parts = ValueParts(value, ';', escapes);
    parts.resize(7);
    for (std::string& part : parts)
        part = std::string(Trimmed(part));
    enum Component { PostOfficeBox, Extended, Street, City, Region, Postcode, Country };
    const std::string place = joinedNonEmpty({parts[City], parts[Region], parts[Postcode]}, " ");
    return joinedNonEmpty(
        {parts[Street], parts[Extended], parts[PostOfficeBox], place, parts[Country]}, LineBreak);
}

std::optional<CardDate> ReadCardDate(std::string_view value) {
    value = Trimmed(value);
    if (value.starts_with("--")) {
        const std::string digits = dateDigits(value.substr(2));
        if (digits.size() != 4 || !allDigits(digits))
            return std::nullopt;
        const auto day = monthAndDay(digits);
        if (!day)
            return std::nullopt;
        return CardDate{"--" + *day, false};
    }
    const std::string digits = dateDigits(value);
    if (digits.size() != 8 || !allDigits(digits))
        return std::nullopt;
    const auto day = monthAndDay(std::string_view(digits).substr(4));
    if (!day)
        return std::nullopt;
    return CardDate{digits.substr(0, 4) + "-" + *day, true};
}

std::string PictureExtension(std::string_view type) {
    std::string lower;
    for (const char c : Trimmed(type))
        lower += LowerAscii(c);
    if (lower.starts_with("image/"))
        lower.erase(0, 6);
    if (lower == "jpeg" || lower == "jpg" || lower == "pjpeg")
        return "jpg";
    if (lower == "tiff" || lower == "tif")
        return "tif";
    if (lower == "x-ms-bmp" || lower == "dib")
        return "bmp";
    if (lower == "svg+xml")
        return "svg";
    constexpr std::array<std::string_view, 5> AsNamed = {"png", "gif", "bmp", "webp", "heic"};
    for (const std::string_view name : AsNamed) {
        if (lower == name)
            return lower;
    }
    return {};
}

} // namespace quorvane
