#pragma once
// A contact's properties through late-bound COM, written once for both items
// the runs carry values into: the one an item window shows (CurrentItem) and
// the one OpenSharedItem makes.

#include "platform/outlook_session.h"
#include "platform/win32/com_dispatch.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace quorvane::win32 {

// A date property's day; nothing for Outlook's "none", 1 January 4501.
Outcome<std::optional<double>> contactDate(const DispatchObject& item, std::string_view property);

// Port is OutlookItem or OutlookContactItem; the item is `item_`.
template <typename Port> class ComContactProperties : public Port {
public:
    explicit ComContactProperties(DispatchObject item) : item_(std::move(item)) {}

    Outcome<std::string> text(std::string_view property) override {
        return item_.getString(property);
    }
    Outcome<void> setText(std::string_view property, std::string_view value) override {
        return item_.setProperty(property, Variant(value));
    }
    Outcome<std::optional<double>> date(std::string_view property) override {
        return contactDate(item_, property);
    }
    Outcome<void> setDate(std::string_view property, double oleDate) override {
        return item_.setProperty(property, Variant::date(oleDate));
    }
    Outcome<bool> hasPicture() override { return item_.getBool("HasPicture"); }
    Outcome<void> addPicture(std::string_view path) override {
        return discardResult(item_.call("AddPicture", path));
    }

protected:
    DispatchObject item_;
};

} // namespace quorvane::win32
