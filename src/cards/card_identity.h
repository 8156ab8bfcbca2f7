#pragma once
// What tells one person from a namesake: the e-mail addresses and phone
// numbers a card gives, as the duplicate check compares them with what a
// contacts folder already holds.

#include "cards/text_encoding.h"

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

struct CardIdentity {
    std::vector<std::string> emails; // every EMAIL value, in order
    std::vector<std::string> phones; // every TEL value, in order
    std::string company;             // the first ORG's organisation, as written
};

// The EMAIL, TEL and ORG values of `card` (its bytes as the file holds them, in
// `encoding`), unfolded and decoded from quoted-printable; those of a card
// nested in it (an AGENT) are not its own and are left out.
CardIdentity ReadCardIdentity(std::string_view card, TextEncoding encoding);

} // namespace quorvane
