#include "cards/android_custom.h"

#include "text/ascii_text.h"

#include <vector>

namespace quorvane {

namespace {

constexpr std::string_view UserLabelCode = "0";

} // namespace

AndroidField ReadAndroidField(std::string_view value, Escapes escapes, const OutlookKeeps& keeps) {
    const std::vector<std::string> fields = ValueParts(value, ';', escapes);
    AndroidField field;
    const std::string_view kind = Trimmed(fields[0]);
    field.kind = std::string(kind.substr(kind.rfind('/') + 1));
    if (!keeps.knowsAndroidKind(field.kind) || fields.size() < 2) {
        field.value = UnescapedText(value, escapes);
        return field;
    }
    field.value = std::string(Trimmed(fields[1]));
    const std::string_view code = fields.size() > 2 ? Trimmed(fields[2]) : std::string_view();
    if (code == UserLabelCode)
        field.label = fields.size() > 3 ? std::string(Trimmed(fields[3])) : std::string();
    else
        field.label = keeps.androidTypeWords(field.kind, code);
    return field;
}

} // namespace quorvane
