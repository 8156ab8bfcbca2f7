#pragma once
// What the user's regional settings say that the runs write into Outlook.

#include <string>

namespace quorvane {

class RegionalSettings {
public:
    virtual ~RegionalSettings() = default;
    // What joins the items of a list, as Windows writes one (",", or ";"
    // where the comma is the decimal sign); Outlook's categories are one
    // text joined so.
    virtual std::string listSeparator() const = 0;
};

} // namespace quorvane
