#include "ole_dates.h"

#include <windows.h>

#include <oleauto.h>

#include <cstdio>

namespace quorvane::standin {
namespace {

// Reads ISO 8601 text from the front, a field at a time.
class IsoReader {
public:
    explicit IsoReader(std::wstring_view text) : text_(text) {}

    std::optional<WORD> digits(std::size_t count) {
        if (text_.size() < count)
            return std::nullopt;
        WORD value = 0;
        for (std::size_t at = 0; at < count; ++at) {
            if (text_[at] < L'0' || text_[at] > L'9')
                return std::nullopt;
            value = static_cast<WORD>(value * 10 + (text_[at] - L'0'));
        }
        text_.remove_prefix(count);
        return value;
    }
    bool skip(wchar_t c) {
        if (text_.empty() || text_.front() != c)
            return false;
        text_.remove_prefix(1);
        return true;
    }
    bool atDigit() const {
        return !text_.empty() && text_.front() >= L'0' && text_.front() <= L'9';
    }
    // A zone, or nothing at all, may end a date.
    bool atEnd() const {
        return text_.empty() || text_ == L"Z" || text_.front() == L'+' || text_.front() == L'-';
    }

private:
    std::wstring_view text_;
};

} // namespace

std::optional<double> oleDateOf(std::wstring_view text) {
    IsoReader reader(text);
    const auto year = reader.digits(4);
    const bool extended = reader.skip(L'-');
    const auto month = reader.digits(2);
    if (!year || !month || (extended && !reader.skip(L'-')))
        return std::nullopt;
    const auto day = reader.digits(2);
    if (!day)
        return std::nullopt;
    SYSTEMTIME time{};
    time.wYear = *year;
    time.wMonth = *month;
    time.wDay = *day;
    if (reader.skip(L'T')) {
        const auto hour = reader.digits(2);
        const bool colons = reader.skip(L':');
        const auto minute = reader.digits(2);
        if (!hour || !minute)
            return std::nullopt;
        time.wHour = *hour;
        time.wMinute = *minute;
        if ((colons && reader.skip(L':')) || (!colons && reader.atDigit())) {
            const auto second = reader.digits(2);
            if (!second)
                return std::nullopt;
            time.wSecond = *second;
        }
    }
    double date = 0;
    SYSTEMTIME back{};
    // The way back tells a day that exists from one the conversion moved on.
    if (!reader.atEnd() || !SystemTimeToVariantTime(&time, &date) ||
        !VariantTimeToSystemTime(date, &back) || back.wYear != time.wYear ||
        back.wMonth != time.wMonth || back.wDay != time.wDay || back.wHour != time.wHour ||
        back.wMinute != time.wMinute || back.wSecond != time.wSecond)
        return std::nullopt;
    return date;
}

std::wstring isoTextOf(double date) {
    SYSTEMTIME time{};
    if (!VariantTimeToSystemTime(date, &time))
        return {};
    wchar_t text[32];
    if (time.wHour == 0 && time.wMinute == 0 && time.wSecond == 0)
        std::swprintf(text, std::size(text), L"%04u-%02u-%02u", time.wYear, time.wMonth, time.wDay);
    else
        std::swprintf(text, std::size(text), L"%04u-%02u-%02uT%02u:%02u:%02u", time.wYear,
                      time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond);
    return text;
}

} // namespace quorvane::standin
