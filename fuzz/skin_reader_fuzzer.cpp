// The skin file is whatever text sits beside the program. Reading it must
// not crash, must report a fault on a line that exists, must only hand the
// window values the format allows, and must read the same with a byte-order
// mark or Windows line ends.

#include "app/skin_reader.h"
#include "require.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace quorvane;
using quorvane::fuzz::require;

namespace {

bool sameReading(const SkinReading& a, const SkinReading& b) {
    if (a.fault.has_value() != b.fault.has_value())
        return false;
    if (a.fault && (a.fault->line != b.fault->line || a.fault->reason != b.fault->reason))
        return false;
    return a.style == b.style;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

void checkPart(const SkinPartStyle& part) {
    for (const auto& colour : {part.background, part.text, part.fill, part.fillText})
        require(!colour || *colour <= 0xFFFFFF, "a colour is 0x00BBGGRR");
    if (!part.font)
        return;
    const SkinFont& font = *part.font;
    require(!font.face.empty() && font.face.size() <= 31, "a face name has 1 to 31 characters");
    require(!isBlank(font.face.front()) && !isBlank(font.face.back()), "a face name is trimmed");
    require(font.points >= 4 && font.points <= 72, "a font size is 4 to 72 points");
}

// A font size the reader takes is written in decimal, with at most one point.
void checkFontSize(std::string_view size) {
    if (size.find_first_of(",\r\n") != std::string_view::npos)
        return;
    const std::string skin = "[list]\nfont = Calibri, " + std::string(size) + "\n";
    if (ReadSkin(skin).fault)
        return;
    while (!size.empty() && isBlank(size.front()))
        size.remove_prefix(1);
    while (!size.empty() && isBlank(size.back()))
        size.remove_suffix(1);
    require(!size.empty() && isDigit(size.front()), "a size starts with a digit");
    bool point = false;
    for (const char c : size) {
        require(isDigit(c) || (c == '.' && !point), "a size is decimal digits and one point");
        point = point || c == '.';
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const SkinReading reading = ReadSkin(text);

    if (reading.fault) {
        std::size_t lines = 1;
        for (const char c : text)
            lines += c == '\n';
        require(reading.fault->line >= 1 && static_cast<std::size_t>(reading.fault->line) <= lines,
                "a fault names a line of the file");
        require(!reading.fault->reason.empty(), "a fault says what is wrong");
    } else {
        for (const SkinPartStyle* part : {&reading.style.window, &reading.style.list,
                                          &reading.style.toolbar, &reading.style.progress})
            checkPart(*part);
        require(!reading.style.window.text && !reading.style.window.font,
                "the window takes only a background");
    }

    constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
    if (!text.starts_with(ByteOrderMark))
        require(sameReading(ReadSkin(std::string(ByteOrderMark) + std::string(text)), reading),
                "a byte-order mark changes nothing");
    if (text.find('\r') == std::string_view::npos) {
        std::string windowsLines;
        for (const char c : text)
            windowsLines += c == '\n' ? std::string("\r\n") : std::string(1, c);
        require(sameReading(ReadSkin(windowsLines), reading), "CR-LF line ends change nothing");
    }

    checkFontSize(text.substr(0, text.find('\n')));
    return 0;
}
