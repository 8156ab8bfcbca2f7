#pragma once
// What Outlook reads of a .vcf it is asked to open: the first card, and
// nothing after it. A file without a card is no contact at all.

#include <optional>
#include <string>

namespace quorvane::standin {

struct FirstContact {
    std::wstring name; // as Outlook would show it in the item window's caption
};

// Nothing when the file cannot be read or holds no card.
std::optional<FirstContact> readFirstContact(const std::wstring& path);

} // namespace quorvane::standin
