#pragma once
// The cards a check of Outlook imports: built into the program, made up,
// nothing of the user's. Each probe is a card with one property of interest,
// so that where Outlook put its value says what Outlook does with that row
// of the table.

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

enum class ProbeForm { Text, Date, Picture };

struct CheckProbe {
    std::string assumption; // "A phone without a type"
    std::string line;       // the property line the card holds besides its name
    std::string property;   // as the table names it: "TEL"
    std::vector<std::string> types;
    // What is looked for in the contact's properties: a text it holds (any
    // letter case), a date's day as "YYYY-MM-DD", or a picture.
    std::string look;
    ProbeForm form = ProbeForm::Text;
};

// A card named `name` holding `lines` (each a whole property line).
std::string SampleCard(std::string_view name, const std::vector<std::string>& lines,
                       std::string_view version = "3.0");

const std::vector<CheckProbe>& CheckProbes();

// Two cards in one file: Outlook keeps the first only.
std::string TwoCardSample();
inline constexpr std::string_view FirstOfTwo = "Quorvane Check First";

// UTF-8 names with no CHARSET, which Outlook reads in the Windows code page.
std::string Utf8WithoutCharsetSample();
inline constexpr std::string_view Utf8SampleName = "Jos\xC3\xA9 M\xC3\xBC"
                                                   "ller";

// A card with more than Outlook keeps: five e-mails, phones of many kinds,
// three web pages, a vCard 4.0 photo, a birthday without a year and Apple's
// labels; and the values the contact must then hold, each exactly once.
std::string RichSample();
inline constexpr std::string_view RichSampleName = "Quorvane Check Rich";
const std::vector<std::string>& RichSampleValues();

} // namespace quorvane
