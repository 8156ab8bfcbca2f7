#pragma once
// The types a property's parameters give it, which decide where Outlook puts
// its value and what the value's label says. Cards write them every way:
// TEL;WORK;FAX (2.1), TEL;TYPE=work;TYPE=fax and TEL;TYPE="work,fax" (3.0
// and 4.0).

#include "cards/outlook_keeps.h"

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

struct PropertyTypes {
    // As OutlookKeeps::typeName gives them: TYPE's values, 2.1's bare types,
    // and the values of ENCODING, VALUE and MEDIATYPE; 4.0's PREF=n as PREF.
    std::vector<std::string> names;
    // TYPE's values and the bare types as the card writes them, in order:
    // what a label is made of.
    std::vector<std::string> written;
};

PropertyTypes ReadPropertyTypes(std::string_view parameters, const OutlookKeeps& keeps);

// The label the types make: the words of each that has any, each once, in
// the card's order ("Work Fax").
std::string LabelOfTypes(const PropertyTypes& types, const OutlookKeeps& keeps);

} // namespace quorvane
