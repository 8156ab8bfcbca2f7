#pragma once
// Android writes what vCard 2.1 has no property for (a nickname, a date
// other than the birthday, a relation) as X-ANDROID-CUSTOM: its own kind,
// then the fields of its contacts database, separated by ';'.
//   X-ANDROID-CUSTOM:vnd.android.cursor.item/relation;Anna;14;;;;;;;;;;;;;
// Field 1 is the value and field 2 a type code; code 0 is a label of the
// user's, in field 3.

#include "cards/outlook_keeps.h"
#include "cards/value_forms.h"

#include <string>
#include <string_view>

namespace quorvane {

struct AndroidField {
    std::string kind;  // "nickname", "contact_event", "relation", ...
    std::string label; // the type in words, or the user's label
    std::string value; // field 1; the whole value for a kind the table gives no types
};

// The field `value` (decoded and still escaped) stands for, its type in the
// words `keeps` gives.
AndroidField ReadAndroidField(std::string_view value, Escapes escapes, const OutlookKeeps& keeps);

} // namespace quorvane
