#include "card_mapping.h"

#include "blanks.h"
#include "ole_dates.h"
#include "pictures.h"

#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace quorvane::standin {
namespace {

using P = ContactProperty;
using Kinds = std::set<std::string>;

// Where a value goes when its own place is taken, and the card is read by an
// Outlook that keeps more: any free place of the same sort.
constexpr P SparePhones[] = {P::OtherTelephoneNumber,
                             P::CallbackTelephoneNumber,
                             P::RadioTelephoneNumber,
                             P::AssistantTelephoneNumber,
                             P::CompanyMainTelephoneNumber,
                             P::TTYTDDTelephoneNumber,
                             P::TelexNumber,
                             P::OtherFaxNumber,
                             P::PrimaryTelephoneNumber,
                             P::Business2TelephoneNumber,
                             P::Home2TelephoneNumber,
                             P::CarTelephoneNumber,
                             P::ISDNNumber,
                             P::PagerNumber,
                             P::MobileTelephoneNumber,
                             P::BusinessTelephoneNumber,
                             P::HomeTelephoneNumber,
                             P::BusinessFaxNumber,
                             P::HomeFaxNumber};
constexpr P SpareWebPages[] = {P::PersonalHomePage, P::BusinessHomePage};
constexpr P SpareAddresses[] = {P::OtherAddress, P::HomeAddress, P::BusinessAddress};
constexpr P Emails[] = {P::Email1Address, P::Email2Address, P::Email3Address};

std::string upper(std::string_view text) {
    std::string result;
    for (const char c : text)
        result += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return result;
}

// The kinds a property's parameters name, in upper case: vCard 3.0 and 4.0
// say TYPE=CELL,VOICE (quoted or not, perhaps in several TYPE parameters);
// 2.1 writes a bare CELL.
Kinds kindsOf(const CardProperty& property) {
    Kinds kinds;
    for (const std::string& parameter : property.parameters) {
        const std::string text = upper(parameter);
        const std::size_t equals = text.find('=');
        if (equals != std::string::npos && trim(std::string_view(text).substr(0, equals)) != "TYPE")
            continue;
        std::string list = equals == std::string::npos ? text : text.substr(equals + 1);
        std::erase(list, '"');
        for (std::size_t from = 0; from <= list.size();) {
            const std::size_t comma = std::min(list.find(',', from), list.size());
            kinds.emplace(trim(std::string_view(list).substr(from, comma - from)));
            from = comma + 1;
        }
    }
    return kinds;
}

std::string parameterOf(const CardProperty& property, std::string_view name) {
    for (const std::string& parameter : property.parameters) {
        const std::size_t equals = parameter.find('=');
        if (equals != std::string::npos && upper(trim(parameter.substr(0, equals))) == name)
            return upper(trim(parameter.substr(equals + 1)));
    }
    return {};
}

// vCard's backslash escapes undone: "\n" is a line break of Windows text,
// "\," "\;" and "\\" the character itself. A backslash before anything else
// stays, as 2.1 cards write paths with them.
std::wstring unescaped(std::wstring_view value) {
    std::wstring text;
    for (std::size_t at = 0; at < value.size(); ++at) {
        const wchar_t next = at + 1 < value.size() ? value[at + 1] : L'\0';
        if (value[at] != L'\\' ||
            (next != L'n' && next != L'N' && next != L',' && next != L';' && next != L'\\')) {
            text += value[at];
            continue;
        }
        text += next == L'n' || next == L'N' ? std::wstring(L"\r\n") : std::wstring(1, next);
        ++at;
    }
    return std::wstring(trim(text));
}

// A structured value's parts at the separators no backslash escapes (ADR
// and ORG at semicolons, CATEGORIES at commas), each unescaped.
std::vector<std::wstring> partsOf(std::wstring_view value, wchar_t separator) {
    std::vector<std::wstring> parts;
    std::size_t from = 0;
    for (std::size_t at = 0; at < value.size(); ++at) {
        if (value[at] == L'\\') {
            ++at;
            continue;
        }
        if (value[at] != separator)
            continue;
        parts.push_back(unescaped(value.substr(from, at - from)));
        from = at + 1;
    }
    parts.push_back(unescaped(value.substr(from)));
    return parts;
}

std::wstring joined(const std::vector<std::wstring>& parts, std::wstring_view between) {
    std::wstring text;
    for (const std::wstring& part : parts)
        if (!part.empty())
            text += (text.empty() ? L"" : std::wstring(between)) + part;
    return text;
}

// An ADR (post office box; extended address; street; city; region; postal
// code; country) as the lines Outlook shows: the street, then city, region
// and postal code, then the country.
std::wstring addressText(std::vector<std::wstring> parts) {
    parts.resize(7);
    return joined({joined({parts[0], parts[1], parts[2]}, L"\r\n"),
                   joined({parts[3], parts[4], parts[5]}, L" "), parts[6]},
                  L"\r\n");
}

// Enough of a base64 value to tell what it holds.
std::string leadingBytesOfBase64(std::wstring_view text) {
    constexpr std::string_view Alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    unsigned bits = 0;
    int held = 0;
    for (const wchar_t c : text) {
        const std::size_t digit = c < 128 ? Alphabet.find(static_cast<char>(c)) : Alphabet.npos;
        if (digit == Alphabet.npos)
            continue; // folding blanks, and the padding at the end
        bits = bits << 6 | static_cast<unsigned>(digit);
        if ((held += 6) >= 8) {
            held -= 8;
            bytes += static_cast<char>(bits >> held & 0xFF);
        }
        if (bytes.size() >= 16)
            break;
    }
    return bytes;
}

// A TEL's places by its kinds, the first that applies: a fax to its own
// whatever else it is, the kinds with a place of their own, then pref alone;
// voice, msg, video, bbs, modem or none to Other; pcs nowhere.
std::vector<P> placesOfNumber(const Kinds& kinds) {
    const auto has = [&kinds](const char* kind) { return kinds.contains(kind); };
    if (has("FAX"))
        return {has("HOME") ? P::HomeFaxNumber : P::BusinessFaxNumber};
    const std::pair<const char*, P> own[] = {{"CELL", P::MobileTelephoneNumber},
                                             {"PAGER", P::PagerNumber},
                                             {"CAR", P::CarTelephoneNumber},
                                             {"ISDN", P::ISDNNumber}};
    for (const auto& [kind, place] : own)
        if (has(kind))
            return {place};
    if (has("HOME"))
        return {P::HomeTelephoneNumber, P::Home2TelephoneNumber};
    if (has("WORK"))
        return {P::BusinessTelephoneNumber, P::Business2TelephoneNumber};
    if (has("PCS"))
        return {};
    if (has("PREF"))
        return {P::PrimaryTelephoneNumber};
    return {P::OtherTelephoneNumber};
}

class CardMapping {
public:
    explicit CardMapping(CardKeeping keeping) : keeping_(keeping) {}

    void take(const CardProperty& property) {
        const std::string& name = property.name;
        const std::wstring value = unescaped(property.value);
        if (name == "PHOTO")
            return photo(property);
        if (value.empty())
            return;
        const bool more = keeping_ == CardKeeping::More;
        if (name == "EMAIL")
            return kindsOf(property).contains("IM") ? place({P::IMAddress}, value)
                                                    : place(Emails, value);
        if (name == "TEL")
            return telephone(kindsOf(property), value);
        if (name == "URL")
            return webPage(kindsOf(property), value);
        if (name == "ADR")
            return address(kindsOf(property), property.value);
        if (name == "ORG")
            return place({P::CompanyName}, partsOf(property.value, L';').front());
        if (name == "BDAY")
            // A birthday is a day: a time of day after it is not Outlook's.
            return date(P::Birthday, value.substr(0, value.find(L'T')));
        if (name == "X-MS-ANNIVERSARY" || (more && name == "ANNIVERSARY"))
            return date(P::Anniversary, value.substr(0, value.find(L'T')));
        if (name == "X-MS-IMADDRESS" || (more && name == "IMPP"))
            return place({P::IMAddress}, value);
        if (name == "CATEGORIES" && more)
            return categories(property.value);
        if (name == "NICKNAME" && more)
            return place({P::NickName}, value);
        if (name == "NOTE")
            return place({P::Body}, value);
        if (name == "TITLE")
            return place({P::JobTitle}, value);
    }

    ContactFields finish(std::wstring fullName) && {
        for (const Leftover& leftover : leftovers_)
            place(leftover.spares, leftover.value);
        fields_.text(P::FullName) = std::move(fullName);
        // Outlook's web page is the business home page under another name.
        if (fields_.isEmpty(P::WebPage))
            fields_.text(P::WebPage) = fields_.text(P::BusinessHomePage);
        return std::move(fields_);
    }

private:
    struct Leftover {
        std::wstring value;
        std::span<const P> spares;
    };

    // Into the first of `slots` still empty; otherwise, when more is kept,
    // into a free one of `spares` once every value has had its own place.
    void place(std::span<const P> slots, const std::wstring& value,
               std::span<const P> spares = {}) {
        if (value.empty())
            return;
        for (const P slot : slots) {
            if (!fields_.isEmpty(slot))
                continue;
            fields_.text(slot) = value;
            return;
        }
        if (keeping_ == CardKeeping::More && !spares.empty())
            leftovers_.push_back({value, spares});
    }
    void place(std::initializer_list<P> slots, const std::wstring& value) {
        place(std::span<const P>(slots.begin(), slots.size()), value);
    }

    void telephone(const Kinds& kinds, const std::wstring& number) {
        std::vector<P> slots = placesOfNumber(kinds);
        if (slots == std::vector{P::OtherTelephoneNumber}) {
            if (keeping_ == CardKeeping::Less)
                return;
            // Only the first number of no kind has a place.
            if (untypedNumbers_++ > 0)
                slots.clear();
        }
        place(slots, number, SparePhones);
    }

    void webPage(const Kinds& kinds, const std::wstring& url) {
        std::vector<P> slots;
        if (kinds.contains("HOME"))
            slots = {P::PersonalHomePage};
        else if (kinds.contains("WORK"))
            slots = {P::BusinessHomePage};
        else if (const int untyped = untypedUrls_++; untyped < 2)
            // Of those without a kind, the first is personal, the next business.
            slots = {untyped == 0 ? P::PersonalHomePage : P::BusinessHomePage};
        place(slots, url, SpareWebPages);
    }

    void address(const Kinds& kinds, std::wstring_view value) {
        const P slot = kinds.contains("HOME")   ? P::HomeAddress
                       : kinds.contains("WORK") ? P::BusinessAddress
                                                : P::OtherAddress;
        place(std::span<const P>(&slot, 1), addressText(partsOf(value, L';')), SpareAddresses);
    }

    void date(P property, const std::wstring& text) {
        const auto day = oleDateOf(text);
        if (day && fields_.isEmpty(property))
            fields_.set(property, OleDate{*day});
    }

    void categories(std::wstring_view list) {
        std::wstring& held = fields_.text(P::Categories);
        held = joined({held, joined(partsOf(list, L','), L", ")}, L", ");
    }

    // Base64 (3.0's ENCODING=b, 2.1's BASE64) of a picture; a data: URI, as
    // 4.0 writes, only when more is kept. A web address is never fetched.
    void photo(const CardProperty& property) {
        const std::string encoding = parameterOf(property, "ENCODING");
        std::wstring_view data = property.value;
        const bool base64 =
            encoding == "B" || encoding == "BASE64" || kindsOf(property).contains("BASE64");
        const bool uri = keeping_ == CardKeeping::More && data.starts_with(L"data:") &&
                         data.find(L";base64,") != std::wstring_view::npos;
        if (uri)
            data.remove_prefix(data.find(L";base64,") + 8);
        if ((base64 || uri) && isContactPicture(leadingBytesOfBase64(data)))
            fields_.set(P::HasPicture, true);
    }

    const CardKeeping keeping_;
    ContactFields fields_;
    int untypedNumbers_ = 0;
    int untypedUrls_ = 0;
    std::vector<Leftover> leftovers_;
};

} // namespace

ContactFields contactOfCard(const FirstContact& card, CardKeeping keeping) {
    CardMapping mapping(keeping);
    for (const CardProperty& property : card.properties)
        mapping.take(property);
    return std::move(mapping).finish(card.name);
}

} // namespace quorvane::standin
