#include "contact_properties.h"

#include "ole_dates.h"

#include <windows.h>

#include <cassert>

namespace quorvane::standin {
namespace {

using P = ContactProperty;

// In the order of ContactProperty.
constexpr const wchar_t* Names[ContactPropertyCount] = {L"FullName",
                                                        L"CompanyName",
                                                        L"JobTitle",
                                                        L"AssistantTelephoneNumber",
                                                        L"Business2TelephoneNumber",
                                                        L"BusinessFaxNumber",
                                                        L"BusinessTelephoneNumber",
                                                        L"CallbackTelephoneNumber",
                                                        L"CarTelephoneNumber",
                                                        L"CompanyMainTelephoneNumber",
                                                        L"Home2TelephoneNumber",
                                                        L"HomeFaxNumber",
                                                        L"HomeTelephoneNumber",
                                                        L"ISDNNumber",
                                                        L"MobileTelephoneNumber",
                                                        L"OtherFaxNumber",
                                                        L"OtherTelephoneNumber",
                                                        L"PagerNumber",
                                                        L"PrimaryTelephoneNumber",
                                                        L"RadioTelephoneNumber",
                                                        L"TelexNumber",
                                                        L"TTYTDDTelephoneNumber",
                                                        L"Email1Address",
                                                        L"Email2Address",
                                                        L"Email3Address",
                                                        L"IMAddress",
                                                        L"BusinessHomePage",
                                                        L"PersonalHomePage",
                                                        L"WebPage",
                                                        L"HomeAddress",
                                                        L"BusinessAddress",
                                                        L"OtherAddress",
                                                        L"Body",
                                                        L"NickName",
                                                        L"Categories",
                                                        L"Birthday",
                                                        L"Anniversary",
                                                        L"HasPicture"};

std::size_t indexOf(ContactProperty property) {
    return static_cast<std::size_t>(property);
}

bool equalIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

PropertyValue emptyValueOf(ContactProperty property) {
    if (property == P::HasPicture)
        return false;
    if (property == P::Birthday || property == P::Anniversary)
        return OleDate{};
    return std::wstring();
}

} // namespace

const wchar_t* nameOf(ContactProperty property) {
    return Names[indexOf(property)];
}

std::optional<ContactProperty> contactPropertyNamed(std::wstring_view name) {
    for (std::size_t at = 0; at < ContactPropertyCount; ++at)
        if (equalIgnoringCase(name, Names[at]))
            return static_cast<ContactProperty>(at);
    return std::nullopt;
}

bool isGuarded(ContactProperty property) {
    return property == P::Email1Address || property == P::Email2Address ||
           property == P::Email3Address || property == P::IMAddress || property == P::Body;
}

bool isWritable(ContactProperty property) {
    return property != P::HasPicture;
}

ContactFields::ContactFields() {
    for (std::size_t at = 0; at < ContactPropertyCount; ++at)
        values_[at] = emptyValueOf(static_cast<ContactProperty>(at));
}

const PropertyValue& ContactFields::operator[](ContactProperty property) const {
    return values_[indexOf(property)];
}

bool ContactFields::set(ContactProperty property, PropertyValue value) {
    PropertyValue& held = values_[indexOf(property)];
    if (held.index() != value.index())
        return false;
    held = std::move(value);
    return true;
}

const std::wstring& ContactFields::text(ContactProperty property) const {
    assert(std::holds_alternative<std::wstring>((*this)[property]) && "not a text property");
    return std::get<std::wstring>(values_[indexOf(property)]);
}

std::wstring& ContactFields::text(ContactProperty property) {
    assert(std::holds_alternative<std::wstring>((*this)[property]) && "not a text property");
    return std::get<std::wstring>(values_[indexOf(property)]);
}

bool ContactFields::isEmpty(ContactProperty property) const {
    return (*this)[property] == emptyValueOf(property);
}

std::wstring escapedForLine(std::wstring_view text) {
    std::wstring result;
    for (const wchar_t c : text) {
        const wchar_t* escape = c == L'\\'   ? L"\\\\"
                                : c == L'\t' ? L"\\t"
                                : c == L'\r' ? L"\\r"
                                : c == L'\n' ? L"\\n"
                                             : nullptr;
        if (escape)
            result += escape;
        else
            result += c;
    }
    return result;
}

std::wstring unescapedFromLine(std::wstring_view text) {
    std::wstring result;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != L'\\' || at + 1 == text.size()) {
            result += text[at];
            continue;
        }
        const wchar_t next = text[++at];
        result += next == L't' ? L'\t' : next == L'r' ? L'\r' : next == L'n' ? L'\n' : next;
    }
    return result;
}

std::wstring propertyLine(const ContactFields& fields) {
    std::wstring line;
    for (std::size_t at = 0; at < ContactPropertyCount; ++at) {
        const auto property = static_cast<ContactProperty>(at);
        if (fields.isEmpty(property))
            continue;
        const PropertyValue& value = fields[property];
        const std::wstring text =
            std::holds_alternative<std::wstring>(value) ? std::get<std::wstring>(value)
            : std::holds_alternative<OleDate>(value)    ? isoTextOf(std::get<OleDate>(value).value)
                                                        : std::wstring(L"true");
        line +=
            (line.empty() ? L"" : L"\t") + std::wstring(Names[at]) + L"=" + escapedForLine(text);
    }
    return line;
}

ContactFields fieldsOfPropertyLine(const std::vector<std::wstring>& fields) {
    ContactFields contact;
    for (const std::wstring& field : fields) {
        const std::size_t equals = field.find(L'=');
        const auto property = contactPropertyNamed(std::wstring_view(field).substr(0, equals));
        if (equals == std::wstring::npos || !property)
            continue;
        const std::wstring text = unescapedFromLine(std::wstring_view(field).substr(equals + 1));
        if (std::holds_alternative<std::wstring>(contact[*property]))
            contact.set(*property, text);
        else if (*property == P::HasPicture)
            contact.set(*property, text == L"true");
        else if (const auto date = oleDateOf(text))
            contact.set(*property, OleDate{*date});
    }
    return contact;
}

} // namespace quorvane::standin
