#pragma once
// The rest of a card: the values Outlook will not keep when it reads the
// card, found before the card goes to Outlook so that the run can carry them
// into the contact itself. What Outlook keeps is data (outlook_keeps.table),
// not code: a property and its types lead to the contact property Outlook
// fills, or to none.

#include "cards/outlook_keeps.h"
#include "cards/text_encoding.h"
#include "platform/code_pages.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// How a value of the rest goes into a contact.
enum class RestForm {
    Text,         // text for a text property (a phone, an e-mail, a web page, ...)
    Address,      // a postal address, its lines joined with "\r\n" as Outlook shows one
    Date,         // a full date, `value` as "YYYY-MM-DD"
    YearlessDate, // a date without a year, `value` as "--MM-DD"; only ever for the notes
    Categories,   // a list; `parts` holds its items, `value` them joined with ", "
    Picture,      // `value` holds the picture's bytes; `pictureType` its file extension
    PictureLink,  // a picture given only by its web address: never fetched
};

struct RestValue {
    // The property as the card names it, upper case, without its group:
    // "TEL", "EMAIL", "X-SOCIALPROFILE". With `ordinal`, what the record
    // names: "EMAIL 4", "TEL 3".
    std::string property;
    std::size_t ordinal = 0; // 1-based among the card's own properties of that name
    // What the value is, in the words the notes use: "E-mail", "Phone",
    // "Web page", "Address", "Birthday", "Anniversary", "IM address",
    // "Nickname", "Categories", "Photo", or a readable name for the rest
    // ("Social profile", "Related name"; the property name itself when there
    // is none).
    std::string kind;
    // Its label: the card's types in words ("Work Fax") or Apple's grouped
    // X-ABLabel ("School", its _$!<...>!$_ wrapping taken off); empty when
    // it has none.
    std::string label;
    // Decoded as the card wrote it (charset, quoted-printable, base64 for a
    // picture, vCard escapes), in UTF-8.
    std::string value;
    std::vector<std::string> parts; // a list's items, for RestForm::Categories
    RestForm form = RestForm::Text;
    std::string pictureType; // "jpg", "png", "gif", "bmp", ...; empty when unknown
    // The contact properties the value may go into, in order, by Outlook's
    // English names ("Business2TelephoneNumber"); empty when it goes only to
    // the notes. The run writes the first that is empty.
    std::vector<std::string> slots;
    // Every contact property that holds values of this kind, where a value
    // the contact already holds would be found ("a work phone is anywhere
    // among the 19 phone properties"); empty for a kind only the notes hold.
    std::vector<std::string> sameKind;
};

struct CardRest {
    std::vector<RestValue> values; // in the card's order
};

// The rest of `card` (its bytes as the file holds them, in `encoding`) after
// Outlook has read it as `keeps` says. Bookkeeping properties (VERSION,
// PRODID, REV, UID and the exporters' own) are never part of it; nor is
// anything of a card nested in it (an AGENT).
CardRest ReadCardRest(std::string_view card, TextEncoding encoding, const OutlookKeeps& keeps,
                      CodePages& codePages);

} // namespace quorvane
