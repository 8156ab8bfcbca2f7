#include "cards/card_file_name.h"

#include "cards/card_line.h"
#include "text/utf8_text.h"

#include <array>
#include <cstdio>

namespace quorvane {

namespace {

bool isForbidden(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F ||
           std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
}

std::string trimmedOfDotsAndBlanks(std::string_view text) {
    const auto trimmable = [](char c) { return c == ' ' || c == '.'; };
    while (!text.empty() && trimmable(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && trimmable(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

std::string bounded(std::string_view text) {
    return trimmedOfDotsAndBlanks(text.substr(0, Utf8PrefixBytes(text, CardFileNameCharacters)));
}

// Windows opens a device for these names whatever extension follows them and
// whatever blanks stand before the dot: a file cannot have them.
bool isDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.remove_suffix(1);
    for (const std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (EqualsIgnoringCase(base, device))
            return true;
    }
    for (const std::string_view port : {"COM", "LPT"}) {
        if (base.size() < 4 || !EqualsIgnoringCase(base.substr(0, 3), port))
            continue;
        const std::string_view number = base.substr(3);
        if ((number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
            number == "\xC2\xB2" || number == "\xC2\xB3")
            return true;
    }
    return false;
}

} // namespace

std::string SafeFileNamePart(std::string_view displayName) {
    const std::string text = WellFormedUtf8(displayName);
    std::string safe;
    safe.reserve(text.size());
    for (const char c : text) {
        if (c == '.' && !safe.empty() && safe.back() == '.')
            continue;
        safe += isForbidden(c) ? '_' : c;
    }
    safe = bounded(trimmedOfDotsAndBlanks(safe));
    if (isDeviceName(safe))
        safe = bounded("_" + safe);
    return safe;
}

std::string CardFileName(std::size_t number, std::string_view displayName) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%04zu", number);
    const std::string part = SafeFileNamePart(displayName);
    return std::string(digits) + (part.empty() ? "" : " " + part) + ".vcf";
}

} // namespace quorvane
