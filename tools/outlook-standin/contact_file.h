#pragma once
// What Outlook reads of a .vcf it is asked to open: the first card, and
// nothing after it. A file without a card is no contact at all.
//
// The stand-in reads cards with this small reader of its own rather than the
// importer's: a test that compares what the importer handed over with what
// "Outlook" read would not see a fault both share.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::standin {

// One property of the card, its continuation lines joined.
struct CardProperty {
    std::string name;                    // upper case, without a group prefix: "FN", "ADR"
    std::vector<std::string> parameters; // as written, one each: "TYPE=HOME", "CHARSET=UTF-8"
    std::wstring value;                  // decoded as Outlook decodes it, escapes left in
};

struct FirstContact {
    std::vector<CardProperty> properties; // the card's own, in order; not a nested AGENT card's
    std::wstring name; // Outlook's FullName, as the item window's caption shows it
};

// The first card of a file whose bytes are `file`; nothing when it holds no
// card.
//
// Values are read as Outlook reads them: quoted-printable decoded first
// (soft line breaks included), then the bytes in the code page CHARSET names,
// else in Windows-1252, the ANSI code page Outlook falls back on. A UTF-16
// file (told by its byte-order mark) is Unicode text already.
//
// The name is the first FN with text in it, else "given family" from N, else
// "contact 1".
std::optional<FirstContact> readFirstContact(std::string_view file);

// The same for the file at `path`; nothing too when it cannot be read.
std::optional<FirstContact> readFirstContactFile(const std::wstring& path);

// The file's bytes; nothing when it cannot be read.
std::string fileBytesOf(const std::wstring& path);

// Every card of the file read the same way, for a mailbox that starts full
// (PreloadFile); nothing when it cannot be read.
std::vector<FirstContact> readEveryContact(std::string_view file);
std::vector<FirstContact> readEveryContactFile(const std::wstring& path);

} // namespace quorvane::standin
