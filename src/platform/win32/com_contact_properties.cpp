#include "platform/win32/com_contact_properties.h"

namespace quorvane::win32 {

namespace {

// 1 January 4501, what Outlook answers for a date property that holds none.
constexpr double NoDate = 949998.0;

} // namespace

Outcome<std::optional<double>> contactDate(const DispatchObject& item, std::string_view property) {
    Outcome<Variant> value = item.getProperty(property);
    if (!value)
        return value.failure();
    if (isNothing(*value))
        return std::optional<double>();
    Outcome<double> day = toDate(value->get());
    if (!day)
        return day.failure();
    return *day >= NoDate ? std::optional<double>() : std::optional<double>(*day);
}

} // namespace quorvane::win32
