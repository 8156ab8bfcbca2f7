// What the carrying writes into a contact, and what it asks of Outlook for
// it: nothing twice, nothing lost, no call for a card Outlook kept whole.

#include "fake_code_pages.h"
#include "fake_contact_properties.h"
#include "fakes.h"
#include "import/rest_carrier.h"
#include "import/rest_values.h"

#include <gtest/gtest.h>

namespace quorvane::testing {
namespace {

const std::vector<std::string> Phones = {"BusinessTelephoneNumber", "Business2TelephoneNumber",
                                         "MobileTelephoneNumber", "OtherTelephoneNumber"};
const std::vector<std::string> Emails = {"Email1Address", "Email2Address", "Email3Address"};

RestValue Value(std::string property, std::size_t ordinal, std::string kind, std::string value,
                RestForm form, std::vector<std::string> slots, std::vector<std::string> sameKind) {
    RestValue rest;
    rest.property = std::move(property);
    rest.ordinal = ordinal;
    rest.kind = std::move(kind);
    rest.value = std::move(value);
    rest.form = form;
    rest.slots = std::move(slots);
    rest.sameKind = std::move(sameKind);
    return rest;
}

RestValue Phone(std::size_t ordinal, std::string number, std::vector<std::string> slots) {
    RestValue phone =
        Value("TEL", ordinal, "Phone", std::move(number), RestForm::Text, std::move(slots), Phones);
    phone.label = "Work";
    return phone;
}

RestValue Email(std::size_t ordinal, std::string address) {
    return Value("EMAIL", ordinal, "E-mail", std::move(address), RestForm::Text, Emails, Emails);
}

RestValue Day(std::string property, std::string kind, std::string day, RestForm form) {
    return Value(std::move(property), 1, std::move(kind), std::move(day), form, {"Birthday"},
                 {"Birthday"});
}

RestValue Categories() {
    RestValue list = Value("CATEGORIES", 1, "Categories", "Family, Tennis", RestForm::Categories,
                           {"Categories"}, {"Categories"});
    list.parts = {"Family", "Tennis"};
    return list;
}

RestValue Picture() {
    RestValue picture = Value("PHOTO", 1, "Photo", "\x89PNG", RestForm::Picture, {}, {});
    picture.pictureType = "png";
    return picture;
}

class ContactItem final : public WithFakeProperties<OutlookContactProperties> {
public:
    using WithFakeProperties::WithFakeProperties;
};

struct CarryCase {
    const char* fault; // what a wrong carrying would do
    CardRest rest;
    FakeContactState before;
    std::map<std::string, std::string, std::less<>> after; // texts that must hold so
    const char* words;                                     // the record's
    std::size_t calls;                                     // into Outlook, at most
};

TEST(RestCarrierTest, CarriesEachValueOnceIntoItsSlotOrTheNotes) {
    FakeContactState full;
    full.texts = {{"Email1Address", "a1@x.org"},
                  {"Email2Address", "a2@x.org"},
                  {"Email3Address", "a3@x.org"},
                  {"Body", "Met at the fair."}};
    FakeContactState keptOnePhone;
    keptOnePhone.texts = {{"BusinessTelephoneNumber", "+1 555 0101"}};
    FakeContactState heldAsMobile;
    heldAsMobile.texts = {{"MobileTelephoneNumber", "+1 (555) 0104"}};

    const CarryCase cases[] = {
        {"a card Outlook kept whole costs a call", {}, {}, {}, "", 0},
        {"a third work phone is lost though Business 2 is free",
         {{Phone(3, "+1 555 0103", {"BusinessTelephoneNumber", "Business2TelephoneNumber"})}},
         keptOnePhone,
         {{"BusinessTelephoneNumber", "+1 555 0101"}, {"Business2TelephoneNumber", "+1 555 0103"}},
         "carried: TEL 3 to Business 2",
         5},
        {"a phone Outlook kept in another slot is written again",
         {{Phone(2, "+15550104", {"OtherTelephoneNumber"})}},
         heldAsMobile,
         {{"OtherTelephoneNumber", ""}},
         "",
         4},
        {"e-mails beyond the third are lost, or the card's own note overwritten",
         {{Email(4, "a4@x.org"), Email(5, "a5@x.org")}},
         full,
         {{"Body", "Met at the fair.\r\n\r\nAlso on the card:\r\nE-mail: a4@x.org\r\n"
                   "E-mail: a5@x.org"}},
         "carried: EMAIL 4-5 to notes",
         5},
        {"a value the notes hold already is added again",
         {{Email(4, "a1@x.org")}},
         full,
         {{"Body", "Met at the fair."}},
         "",
         3},
        {"a date without a year is lost",
         {{Day("BDAY", "Birthday", "--04-15", RestForm::YearlessDate)}},
         {},
         {{"Body", "Also on the card:\r\nBirthday: 15 April"}},
         "carried: BDAY to notes",
         2},
        {"categories are written in another list's shape",
         {{Categories()}},
         {},
         {{"Categories", "Family, Tennis"}},
         "carried: CATEGORIES to Categories",
         2},
    };
    const OutlookKeeps keeps = BuiltInOutlookKeeps();
    FakeRunStorage storage;
    for (const CarryCase& test : cases) {
        SCOPED_TRACE(test.fault);
        FakeContactState state = test.before;
        ContactItem contact(state);
        RestCarrier carrier(keeps, storage, ",");
        EXPECT_EQ(carrier.carry(test.rest, contact), test.words);
        for (const auto& [property, text] : test.after)
            EXPECT_EQ(state.texts[property], text) << property;
        EXPECT_LE(state.calls.size(), test.calls);
        for (const std::string& call : state.calls)
            EXPECT_EQ(std::count(state.calls.begin(), state.calls.end(), call), 1) << call;
    }
}

TEST(RestCarrierTest, DatesAndPicturesGoToTheirOwnProperties) {
    const OutlookKeeps keeps = BuiltInOutlookKeeps();
    FakeRunStorage storage;
    RestCarrier carrier(keeps, storage, ",");
    FakeContactState state;
    ContactItem contact(state);
    const CardRest rest{{Day("BDAY", "Birthday", "1980-04-15", RestForm::Date), Picture()}};
    EXPECT_EQ(carrier.carry(rest, contact), "carried: BDAY to Birthday, PHOTO");
    EXPECT_EQ(state.dates["Birthday"], 29326.0); // 15 April 1980
    ASSERT_EQ(state.pictures.size(), 1u);
    EXPECT_TRUE(storage.cardFiles.empty()) << "the picture's file is left behind";

    // A contact that has both already is given neither again.
    state.calls.clear();
    EXPECT_EQ(carrier.carry(rest, contact), "");
    EXPECT_EQ(state.pictures.size(), 1u);
    EXPECT_EQ(std::count(state.calls.begin(), state.calls.end(), "set Birthday"), 0);
}

TEST(RestCarrierTest, ARefusedPromptIsRaisedOnceAndTheRecordSaysWhatWasNotCarried) {
    const OutlookKeeps keeps = BuiltInOutlookKeeps();
    FakeRunStorage storage;
    RestCarrier carrier(keeps, storage, ",");
    const CardRest rest{{Email(4, "a4@x.org"), Phone(2, "+1 555 0102", {})}};
    std::size_t guardedReads = 0;
    for (int contactNumber = 0; contactNumber < 3; ++contactNumber) {
        FakeContactState state;
        state.refuseAddressReads = true;
        ContactItem contact(state);
        EXPECT_EQ(carrier.carry(rest, contact), "not carried: EMAIL 4 (" +
                                                    std::string(RefusedWords) + "), TEL 2 (" +
                                                    std::string(RefusedWords) + ")");
        for (const std::string& call : state.calls)
            guardedReads += call.starts_with("get Email") || call == "get Body";
    }
    EXPECT_EQ(guardedReads, 1u);
    EXPECT_NE(carrier.closingWords().find("3 cards"), std::string::npos);
}

} // namespace
} // namespace quorvane::testing
