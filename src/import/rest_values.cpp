#include "import/rest_values.h"

#include "cards/card_line.h"
#include "text/ascii_text.h"

#include <array>
#include <cstdlib>
#include <vector>

namespace quorvane {

namespace {

// Outlook's text may end in a line break, which a card's value does not.
bool IsAsciiBlank(char c) {
    return IsBlank(c) || c == '\r' || c == '\n';
}

// `text` without blanks and line breaks at either end.
std::string_view WithoutSpace(std::string_view text) {
    while (!text.empty() && IsAsciiBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsAsciiBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// What is compared of a phone: its digits.
std::string Digits(std::string_view text) {
    std::string digits;
    for (const char c : text)
        if (c >= '0' && c <= '9')
            digits += c;
    return digits;
}

// What is compared of an address: its letters and digits, in one case; any
// letter beyond ASCII as it is.
std::string Letters(std::string_view text) {
    std::string letters;
    for (const char c : text)
        if (!IsAsciiBlank(c) && c != ',' && c != '.' && c != ';' && c != '-')
            letters += LowerAscii(c);
    return letters;
}

// A list property's items, whichever separator wrote it.
std::vector<std::string_view> Items(std::string_view list, std::string_view separator) {
    std::vector<std::string_view> items;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= list.size(); ++at) {
        const bool end = at == list.size() || list[at] == ',' || list[at] == ';' ||
                         (!separator.empty() && list.substr(at).starts_with(separator));
        if (!end)
            continue;
        if (const auto item = WithoutSpace(list.substr(start, at - start)); !item.empty())
            items.push_back(item);
        start = at + 1;
    }
    return items;
}

constexpr std::array<std::string_view, 12> Months = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

// "15 April 1980" for "1980-04-15", "15 April" for "--04-15"; the text as it
// is when it is neither.
std::string DayInWords(std::string_view day) {
    const bool yearless = day.starts_with("--");
    const std::string_view monthDay = yearless ? day.substr(2) : day.substr(5);
    if ((!yearless && (day.size() != 10 || day[4] != '-')) || monthDay.size() != 5 ||
        monthDay[2] != '-')
        return std::string(day);
    const int month = std::atoi(std::string(monthDay.substr(0, 2)).c_str());
    const int date = std::atoi(std::string(monthDay.substr(3, 2)).c_str());
    if (month < 1 || month > 12 || date < 1 || date > 31)
        return std::string(day);
    std::string words = std::to_string(date) + ' ' + std::string(Months[month - 1]);
    if (!yearless)
        words.append(" ").append(day.substr(0, 4));
    return words;
}

} // namespace

bool HoldsValue(const RestValue& value, std::string_view held, std::string_view listSeparator) {
    if (value.property == "TEL") {
        const std::string digits = Digits(value.value);
        return !digits.empty() && digits == Digits(held);
    }
    if (value.form == RestForm::Categories) {
        const auto heldItems = Items(held, listSeparator);
        for (const std::string& part : value.parts) {
            bool found = false;
            for (const std::string_view item : heldItems)
                found = found || EqualsIgnoringCase(WithoutSpace(part), item);
            if (!found)
                return false;
        }
        return true;
    }
    if (value.form == RestForm::Address)
        return !Letters(value.value).empty() && Letters(value.value) == Letters(held);
    const std::string_view mine = WithoutSpace(value.value);
    return !mine.empty() && EqualsIgnoringCase(mine, WithoutSpace(held));
}

std::string SlotText(const RestValue& value, std::string_view listSeparator) {
    if (value.form != RestForm::Categories)
        return value.value;
    std::string list;
    for (const std::string& part : value.parts)
        list.append(list.empty() ? "" : std::string(listSeparator) + " ")
            .append(WithoutSpace(part));
    return list;
}

std::string NotesValue(const RestValue& value) {
    switch (value.form) {
    case RestForm::Date:
    case RestForm::YearlessDate:
        return DayInWords(value.value);
    case RestForm::Address: {
        std::string line;
        for (const auto part : Items(value.value, "\r\n"))
            line.append(line.empty() ? "" : ", ").append(part);
        // An address of one line has no separators to split at.
        return line.empty() ? value.value : line;
    }
    default:
        return value.value;
    }
}

std::string NotesLine(const RestValue& value) {
    std::string line = value.kind;
    if (!value.label.empty())
        line.append(" (").append(value.label).append(")");
    return line.append(": ").append(NotesValue(value));
}

std::optional<double> OleDateOfDay(std::string_view isoDay) {
    if (isoDay.size() != 10 || isoDay[4] != '-' || isoDay[7] != '-')
        return std::nullopt;
    for (const std::size_t at : {0, 1, 2, 3, 5, 6, 8, 9})
        if (isoDay[at] < '0' || isoDay[at] > '9')
            return std::nullopt;
    const int year = std::atoi(std::string(isoDay.substr(0, 4)).c_str());
    const int month = std::atoi(std::string(isoDay.substr(5, 2)).c_str());
    const int day = std::atoi(std::string(isoDay.substr(8, 2)).c_str());
    constexpr int MonthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 100 || month < 1 || month > 12 || day < 1 || day > MonthDays[month - 1])
        return std::nullopt;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month == 2 && day == 29 && !leap)
        return std::nullopt;
    // Days from the civil date (Howard Hinnant's days_from_civil), then moved
    // from 1 January 1970 to 30 December 1899.
    const int y = month <= 2 ? year - 1 : year;
    const int era = y / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const long daysSince1970 = static_cast<long>(era) * 146097 + dayOfEra - 719468;
    return static_cast<double>(daysSince1970 + 25569);
}

std::string PictureFileName(const RestValue& value) {
    return "picture." + (value.pictureType.empty() ? std::string("jpg") : value.pictureType);
}

} // namespace quorvane
