#pragma once
// What Outlook keeps of a card, property by property: the table
// outlook_keeps.table, built into the program. Each line leads a property and
// its types to the contact properties Outlook fills from it, in order, or to
// none; the run carries what it leads to none.

#include "base/outcome.h"

#include <string>
#include <string_view>

namespace quorvane {

class OutlookKeeps {
public:
    // The table as written; a failure names the line that cannot be read.
    static Outcome<OutlookKeeps> FromText(std::string_view text);

    // A contact property's name as a person reads it: "Business 2" for
    // Business2TelephoneNumber, "E-mail 2" for Email2Address, "notes" for
    // Body; the name itself for one the table does not know.
    std::string slotWords(std::string_view property) const;

    // (The lookups ReadCardRest needs.)
};

// The table built into the program.
OutlookKeeps BuiltInOutlookKeeps();

} // namespace quorvane
