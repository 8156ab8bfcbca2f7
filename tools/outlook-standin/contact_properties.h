#pragma once
// What a contact holds, as Outlook's ContactItem names it: the properties an
// importer reads or writes, each text, a date or (HasPicture) a flag. Names
// match without regard to case, as they do in Outlook.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quorvane::standin {

// In the order the stand-in lists them; the texts first, then the dates.
enum class ContactProperty : unsigned char {
    FullName,
    CompanyName,
    JobTitle,
    // Outlook's 19 telephone numbers (OlContactPhoneNumber), alphabetically.
    AssistantTelephoneNumber,
    Business2TelephoneNumber,
    BusinessFaxNumber,
    BusinessTelephoneNumber,
    CallbackTelephoneNumber,
    CarTelephoneNumber,
    CompanyMainTelephoneNumber,
    Home2TelephoneNumber,
    HomeFaxNumber,
    HomeTelephoneNumber,
    ISDNNumber,
    MobileTelephoneNumber,
    OtherFaxNumber,
    OtherTelephoneNumber,
    PagerNumber,
    PrimaryTelephoneNumber,
    RadioTelephoneNumber,
    TelexNumber,
    TTYTDDTelephoneNumber,
    Email1Address,
    Email2Address,
    Email3Address,
    IMAddress,
    BusinessHomePage,
    PersonalHomePage,
    WebPage,
    HomeAddress,
    BusinessAddress,
    OtherAddress,
    Body,
    NickName,
    Categories,
    Birthday,
    Anniversary,
    HasPicture,
};
inline constexpr std::size_t ContactPropertyCount =
    static_cast<std::size_t>(ContactProperty::HasPicture) + 1;

const wchar_t* nameOf(ContactProperty property);
std::optional<ContactProperty> contactPropertyNamed(std::wstring_view name);
// The properties Outlook's object model guard asks the user about before a
// program in another process may read them (the security prompt).
bool isGuarded(ContactProperty property);
// HasPicture changes only through AddPicture.
bool isWritable(ContactProperty property);

// 1 January 4501: the date Outlook's date properties hold for "None".
inline constexpr double NoDate = 949998.0;

struct OleDate {
    double value = NoDate; // an OLE automation date, local time
    bool operator==(const OleDate&) const = default;
};

// A value as Outlook hands it out: text (VT_BSTR), a date (VT_DATE) or a
// flag (VT_BOOL).
using PropertyValue = std::variant<std::wstring, OleDate, bool>;

class ContactFields {
public:
    // Every property empty: no text, no date, no picture.
    ContactFields();

    const PropertyValue& operator[](ContactProperty property) const;
    // A value of the property's own kind; false, and nothing changed, for
    // one of another kind.
    bool set(ContactProperty property, PropertyValue value);
    // Only for the text properties.
    const std::wstring& text(ContactProperty property) const;
    std::wstring& text(ContactProperty property);
    bool isEmpty(ContactProperty property) const;

private:
    std::array<PropertyValue, ContactPropertyCount> values_;
};

// A contact's properties on one line: "Name=value" for every property that
// is not empty, in the order above, separated by tabs. In values, "\\",
// "\t", "\r" and "\n" stand for a backslash, a tab, a carriage return and a
// line feed, so the line holds no tab but its separators and no line break.
// Dates are "yyyy-mm-dd", with "Thh:mm:ss" after it when they have a time of
// day; the flag is "true".
std::wstring propertyLine(const ContactFields& fields);
// The fields of such a line, split at its tabs (escapes left in), back into
// properties; those it cannot read are left empty.
ContactFields fieldsOfPropertyLine(const std::vector<std::wstring>& fields);

// The escapes of a property line, applied and undone.
std::wstring escapedForLine(std::wstring_view text);
std::wstring unescapedFromLine(std::wstring_view text);

} // namespace quorvane::standin
