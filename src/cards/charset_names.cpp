#include "cards/charset_names.h"

#include "cards/card_line.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>

namespace quorvane {

namespace {

struct NamedCodePage {
    std::string_view name; // lower case
    unsigned codePage;
};

// The names phones, mail programs and Outlook write, beyond the numbered
// families handled in numberedCodePage.
constexpr std::array NamedCodePages = {
    NamedCodePage{"utf-8", Utf8CodePage}, NamedCodePage{"utf8", Utf8CodePage},
    NamedCodePage{"us-ascii", 20127},     NamedCodePage{"ascii", 20127},
    NamedCodePage{"latin1", 28591},       NamedCodePage{"latin-1", 28591},
    NamedCodePage{"koi8-r", 20866},       NamedCodePage{"koi8-u", 21866},
    NamedCodePage{"shift_jis", 932},      NamedCodePage{"shift-jis", 932},
    NamedCodePage{"sjis", 932},           NamedCodePage{"x-sjis", 932},
    NamedCodePage{"euc-jp", 20932},       NamedCodePage{"iso-2022-jp", 50220},
    NamedCodePage{"gb2312", 936},         NamedCodePage{"gbk", 936},
    NamedCodePage{"gb18030", 54936},      NamedCodePage{"big5", 950},
    NamedCodePage{"euc-kr", 51949},       NamedCodePage{"ks_c_5601-1987", 949},
    NamedCodePage{"tis-620", 874},        NamedCodePage{"ibm866", 866},
    NamedCodePage{"macintosh", 10000},    NamedCodePage{"utf-7", 65000},
};

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return lower;
}

std::optional<unsigned> numberAfter(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix))
        return std::nullopt;
    const std::string_view digits = name.substr(prefix.size());
    unsigned number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc{} || end != digits.data() + digits.size() || digits.empty())
        return std::nullopt;
    return number;
}

// windows-125x, cp125x, iso-8859-x and the DOS code pages carry their number.
std::optional<unsigned> numberedCodePage(std::string_view name) {
    for (const std::string_view prefix : {"windows-", "cp", "x-cp", "ibm"}) {
        if (const auto number = numberAfter(name, prefix); number && *number >= 437)
            return number;
    }
    const auto part = numberAfter(name, "iso-8859-");
    if (!part)
        return std::nullopt;
    // Windows numbers ISO 8859-n as 28590 + n; no 8859-12 was ever published.
    if ((*part >= 1 && *part <= 11) || (*part >= 13 && *part <= 16))
        return 28590 + *part;
    return std::nullopt;
}

std::string_view trimmedOfBlanksAndQuotes(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '"'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::optional<unsigned> CodePageForCharset(std::string_view name) {
    // Phones name UTF-8 on nearly every value they write.
    if (EqualsIgnoringCase(trimmedOfBlanksAndQuotes(name), "UTF-8"))
        return Utf8CodePage;
    const std::string lower = lowerCase(trimmedOfBlanksAndQuotes(name));
    for (const NamedCodePage& known : NamedCodePages) {
        if (known.name == lower)
            return known.codePage;
    }
    return numberedCodePage(lower);
}

bool AsciiReadsAsItself(unsigned codePage) {
    constexpr std::array SevenBitCodePages = {50220u, 50221u, 50222u, 50225u,
                                              50227u, 50229u, 52936u, 65000u};
    return std::find(SevenBitCodePages.begin(), SevenBitCodePages.end(), codePage) ==
           SevenBitCodePages.end();
}

} // namespace quorvane
