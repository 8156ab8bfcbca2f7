#pragma once
// What Outlook keeps of a card, property by property: the table
// outlook_keeps.table, built into the program. Each row leads a property and
// its types to the contact properties Outlook fills from it, in order, or to
// none; the run carries what it leads to none. The table's own comments
// describe its format.

#include "base/outcome.h"

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// What Outlook does with a value a row matches.
enum class KeepVerdict {
    Kept,        // into the first empty of the row's Outlook slots; dropped when all are full
    Dropped,     // nowhere
    Maybe,       // no source says: carried, and looked for in the contact first
    Bookkeeping, // the exporter's own, no one's data: never carried
};

// How a value is read.
enum class ValueForm { Text, Address, Date, List, Picture };

struct KeepRow {
    // The property as the card names it, upper case; a name ending in '*'
    // stands for every name it starts.
    std::string property;
    std::vector<std::string> types; // upper case, each as [same types] reads it
    std::string label;              // the label the value must have; empty for any
    KeepVerdict verdict = KeepVerdict::Dropped;
    std::string kind;
    ValueForm form = ValueForm::Text;
    std::vector<std::string> outlookSlots; // those Outlook fills, in order
    std::vector<std::string> slots;        // the outlookSlots, then those only the run writes
    std::vector<std::string> sameKind;
};

class OutlookKeeps {
public:
    // The table as written; a failure names the line that cannot be read.
    static Outcome<OutlookKeeps> FromText(std::string_view text);

    // A contact property's name as a person reads it: "Business 2" for
    // Business2TelephoneNumber, "E-mail 2" for Email2Address, "notes" for
    // Body; the name itself for one the table does not know.
    std::string slotWords(std::string_view property) const;

    // The row for a value of `property` (upper case) with `types` (each as
    // typeName gives it) and `label`: of the rows for the name whose types it
    // all has and whose label, if any, is its own, the one that asks the most,
    // the first of equals. Rows for the name itself come before rows for a
    // name it starts. Nothing when no row matches.
    const KeepRow* rowFor(std::string_view property, const std::vector<std::string>& types,
                          std::string_view label) const;

    // `type` (any letter case) as the rows name it: upper case, and the first
    // of the ways [same types] lists for writing it.
    std::string typeName(std::string_view type) const;

    // The words of `type` (as typeName gives it) in a label: empty for one
    // that says nothing to a person; the type itself, or what follows an
    // "X-", for one the table does not list.
    std::string typeWords(std::string_view type) const;

    // The words of type `code` of Android's own `kind` ("relation", "14":
    // "Spouse"); empty when there are none or the table does not know it.
    std::string androidTypeWords(std::string_view kind, std::string_view code) const;
    // Every contact property a row names as a slot or as of the same kind,
    // once each, in the table's order: where a value of a card may be found.
    std::vector<std::string> contactProperties() const;

    // A row's name, as what a check of Outlook learns of it is kept under:
    // its property, types and label ("TEL", "TEL;WORK;FAX", "URL;label=x").
    static std::string RowKey(const KeepRow& row);
    // What a check found this Outlook does with the values of the row named
    // `key`: Kept where it keeps them, Maybe where it kept less than the
    // table says (the run then carries them, looking first). False when no
    // row has that name.
    bool learn(std::string_view key, KeepVerdict verdict);

    // Whether the table gives type codes for Android's `kind`: a kind it
    // does not know is carried whole, its fields unread.
    bool knowsAndroidKind(std::string_view kind) const { return androidKinds_.contains(kind); }

private:
    std::vector<KeepRow> rows_;
    std::map<std::string, std::string, std::less<>> slotWords_;
    std::map<std::string, std::vector<std::string>, std::less<>> sameKinds_;
    std::map<std::string, std::string, std::less<>> typeWords_;
    std::map<std::string, std::string, std::less<>> typeNames_;    // a way of writing: its name
    std::map<std::string, std::string, std::less<>> androidWords_; // "kind code": words
    std::set<std::string, std::less<>> androidKinds_;

    friend class KeepsTableReader;
};

// The table the program was built with, as written.
std::string_view BuiltInOutlookKeepsText();

// The table built into the program, read. It is read by a test on every
// build, so that a table that cannot be read never ships.
OutlookKeeps BuiltInOutlookKeeps();

} // namespace quorvane
