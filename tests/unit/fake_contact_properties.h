#pragma once
// A contact's properties as the fakes of Outlook hold them: what a card left
// in them (set by the test), and every read and write the run makes, logged.

#include "platform/outlook_session.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::testing {

struct FakeContactState {
    std::map<std::string, std::string, std::less<>> texts;
    std::map<std::string, double, std::less<>> dates;
    std::vector<std::string> pictures; // the files AddPicture was given
    std::vector<std::string> calls;    // "get Body", "set Body", "AddPicture"
    bool refuseAddressReads = false;   // the security prompt answered No
};

inline bool GuardedProperty(std::string_view property) {
    return property.starts_with("Email") || property == "Body" || property == "IMAddress";
}

// Port is OutlookItem or OutlookContactItem.
template <typename Port> class WithFakeProperties : public Port {
public:
    explicit WithFakeProperties(FakeContactState& state) : state_(state) {}

    Outcome<std::string> text(std::string_view property) override {
        state_.calls.push_back("get " + std::string(property));
        if (state_.refuseAddressReads && GuardedProperty(property))
            return Failure{"The operation was refused.", false, false, true};
        const auto found = state_.texts.find(property);
        return found == state_.texts.end() ? std::string() : found->second;
    }
    Outcome<void> setText(std::string_view property, std::string_view value) override {
        state_.calls.push_back("set " + std::string(property));
        state_.texts[std::string(property)] = std::string(value);
        return Success();
    }
    Outcome<std::optional<double>> date(std::string_view property) override {
        state_.calls.push_back("get " + std::string(property));
        const auto found = state_.dates.find(property);
        return found == state_.dates.end() ? std::optional<double>() : found->second;
    }
    Outcome<void> setDate(std::string_view property, double oleDate) override {
        state_.calls.push_back("set " + std::string(property));
        state_.dates[std::string(property)] = oleDate;
        return Success();
    }
    Outcome<bool> hasPicture() override {
        state_.calls.push_back("get HasPicture");
        return !state_.pictures.empty();
    }
    Outcome<void> addPicture(std::string_view path) override {
        state_.calls.push_back("AddPicture");
        state_.pictures.emplace_back(path);
        return Success();
    }

protected:
    FakeContactState& state_;
};

} // namespace quorvane::testing
