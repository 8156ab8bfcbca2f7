#pragma once
// A card value's text read into the shape a contact property or the notes
// take: escapes undone, an address as lines, a date in one spelling. Values
// come here as UTF-8, quoted-printable and charset already undone.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// How a card escapes characters in its values. vCard 3.0 and 4.0 write a
// line break as "\n" and escape ',' ';' and '\'; Google escapes ':' too.
// vCard 2.1 escapes only the ';' of a value of parts, and a backslash
// before anything else is text ("C:\Users").
enum class Escapes { Version21, Version3 };

// `value` with its escapes undone and every line break as CR LF, which is
// how Outlook keeps one in a text property and in the notes.
std::string UnescapedText(std::string_view value, Escapes escapes);

// The parts of `value` between the `separator`s it has not escaped, each
// unescaped: ADR's seven, CATEGORIES' list, Android's fields.
std::vector<std::string> ValueParts(std::string_view value, char separator, Escapes escapes);

// ADR's `value` as Outlook shows an address: the street (with the extended
// address and the post office box after it, each on a line of its own),
// then "city region postcode", then the country; empty lines left out, lines
// joined with CR LF.
std::string AddressLines(std::string_view value, Escapes escapes);

struct CardDate {
    std::string text; // "YYYY-MM-DD", or "--MM-DD" without a year
    bool hasYear = false;
};

// The date `value` gives: 19800415 or 1980-04-15 (with or without a time
// after a 'T', as vCard 2.1 and 3.0 write a birthday), or vCard 4.0's
// --0415 and --04-15 without a year. Nothing for anything else, a year or
// a month alone included: no contact property holds those.
std::optional<CardDate> ReadCardDate(std::string_view value);

// The file extension a picture of `type` has ("JPEG", "image/jpeg" and "jpg"
// give "jpg"); empty for a type that names no picture format.
std::string PictureExtension(std::string_view type);

} // namespace quorvane
