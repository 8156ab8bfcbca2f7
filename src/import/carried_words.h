#pragma once
// What the record says a carrying did with a card's rest:
// "carried: EMAIL 4-5 to notes, TEL 3 to Business 2, PHOTO; not carried:
// EMAIL 6 (why)". Values are named by their property and their place among
// the card's properties of that name; the place is left out of a property
// the card has once.

#include "cards/card_rest.h"

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

class CarriedWords {
public:
    explicit CarriedWords(const CardRest& rest) : rest_(rest) {}

    // Into the property named `where` ("Business 2", "notes"); empty where
    // the property says it all (PHOTO).
    void carried(const RestValue& value, std::string where);
    void notCarried(const RestValue& value, std::string why);

    // Empty when nothing was carried or left behind.
    std::string text() const;

private:
    struct Entry {
        const RestValue* value;
        std::string words; // where it went, or why it did not
    };
    std::string list(const std::vector<Entry>& entries, std::string_view joiner) const;
    bool onceOnCard(const RestValue& value) const;

    const CardRest& rest_;
    std::vector<Entry> carried_;
    std::vector<Entry> notCarried_;
};

} // namespace quorvane
