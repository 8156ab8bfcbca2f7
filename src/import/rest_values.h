#pragma once
// How one value of a card's rest is compared with what a contact holds, and
// how it is written: into a property of its own, or as a line of the notes.

#include "cards/card_rest.h"

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// What the record says of a value the prompt kept from being carried.
inline constexpr std::string_view RefusedWords =
    "Outlook would not let its e-mail addresses and notes be read";

// Whether `held`, a property's text, holds `value` already: a phone by its
// digits ("+1 (555) 0104" is "+15550104"), an address by its letters and
// digits, categories when every one is among them, anything else ignoring
// letter case and blanks at either end.
bool HoldsValue(const RestValue& value, std::string_view held, std::string_view listSeparator);

// The text a property of its own is given.
std::string SlotText(const RestValue& value, std::string_view listSeparator);

// The value as a line of the notes shows it ("15 April", an address on one
// line), and the whole line: "Phone (Work Fax): +1 555 0104".
std::string NotesValue(const RestValue& value);
std::string NotesLine(const RestValue& value);

// "YYYY-MM-DD" as an OLE automation date (days since 30 December 1899);
// nothing for anything else or a day no calendar has.
std::optional<double> OleDateOfDay(std::string_view isoDay);

// The name of the file a picture goes to Outlook as.
std::string PictureFileName(const RestValue& value);

} // namespace quorvane
