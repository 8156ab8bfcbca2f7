#pragma once
// The contacts a folder holds, as far as telling whether a card is one of
// them: read once per run and kept in memory, so that checking a card costs
// Outlook nothing. A card is one of them when its own name (none when it has
// none: never the "contact N" that stands in for it) is theirs, Unicode
// composition, letter case and runs of white space aside, and
// - they share an e-mail address (letter case aside) or a phone number
//   (digits alone: equal, or one ending with the other where the shorter has
//   at least 7 digits, so that "+49 30 1234567" is "030 1234567"); or
// - neither gives any e-mail or phone, and both name the same company. A
//   card with no e-mail, phone or company (an address alone) is never taken
//   for anyone: a namesake with an address is someone else as often as not,
//   and storing a card twice loses nothing, while skipping it loses it.

#include "platform/outlook_session.h"
#include "platform/text_folding.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorvane {

class KnownContacts {
public:
    // Names and companies are compared as `folding` makes them.
    explicit KnownContacts(const TextFolding& folding) : folding_(folding) {}

    void add(const StoredContactRow& contact);

    // The entry ID of the known contact the card is, if any.
    std::optional<std::string> match(const StoredContactRow& card) const;

    std::size_t size() const { return count_; }

private:
    struct Known {
        std::string entryId;
        std::vector<std::string> emails; // folded
        std::vector<std::string> phones; // digits
        std::string company;             // folded as names are
    };
    // `name` as the check compares it: composed and case-folded, white space
    // runs made one space, none at either end.
    std::string foldedName(std::string_view name) const;

    const TextFolding& folding_;
    std::unordered_map<std::string, std::vector<Known>> byName_;
    std::size_t count_ = 0;
};

} // namespace quorvane
