#include "app/skin_reader.h"

#include "text/byte_order_mark.h"
#include "text/numbered_lines.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <string>
#include <vector>

namespace quorvane {

namespace {

// The longest face name Windows keeps (LF_FACESIZE less the terminator).
constexpr std::size_t LongestFaceName = 31;
constexpr double SmallestFontPoints = 4;
constexpr double LargestFontPoints = 72;

std::string_view trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string lower(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

std::string quoted(std::string_view text) {
    // Appended piece by piece: GCC 12 at -O2 warns falsely (-Wrestrict) about
    // a literal + std::string here.
    std::string result;
    result.reserve(text.size() + 2);
    result.append(1, '"').append(text).append(1, '"');
    return result;
}

// The keys each section takes; the window only has its background.
enum Key : unsigned { Background = 1, Text = 2, Fill = 4, FillText = 8, Font = 16 };

struct Section {
    std::string_view name;
    SkinPartStyle SkinStyle::*part;
    unsigned keys;
};

constexpr std::array<Section, 4> Sections{{
    {"window", &SkinStyle::window, Background},
    {"list", &SkinStyle::list, Background | Text | Font},
    {"toolbar", &SkinStyle::toolbar, Background | Text | Font},
    {"progress", &SkinStyle::progress, Background | Text | Fill | FillText | Font},
}};

std::optional<Key> keyNamed(std::string_view name) {
    if (name == "background")
        return Background;
    if (name == "text")
        return Text;
    if (name == "fill")
        return Fill;
    if (name == "fill-text")
        return FillText;
    if (name == "font")
        return Font;
    return std::nullopt;
}

std::string keysOf(const Section& section) {
    std::string names;
    const auto add = [&](unsigned key, const char* name) {
        if (!(section.keys & key))
            return;
        names += names.empty() ? "" : ", ";
        names += name;
    };
    add(Background, "background");
    add(Text, "text");
    add(Fill, "fill");
    add(FillText, "fill-text");
    add(Font, "font");
    return names;
}

struct Parsed {
    std::optional<Colour> colour;
    std::optional<SkinFont> font;
    std::string problem;
};

// "#RRGGBB" into 0x00BBGGRR, the order Windows keeps colours in.
Parsed parseColour(std::string_view value) {
    const bool shaped = value.size() == 7 && value[0] == '#' &&
                        std::all_of(value.begin() + 1, value.end(),
                                    [](unsigned char c) { return std::isxdigit(c) != 0; });
    if (!shaped)
        return {std::nullopt, std::nullopt,
                quoted(value) + " is not a colour; write colours as #RRGGBB"};
    unsigned rgb = 0;
    std::from_chars(value.data() + 1, value.data() + value.size(), rgb, 16);
    const Colour red = (rgb >> 16) & 0xFF;
    const Colour green = (rgb >> 8) & 0xFF;
    const Colour blue = rgb & 0xFF;
    return {red | (green << 8) | (blue << 16), std::nullopt, {}};
}

// Digits with at most one decimal point, as the format writes a size. strtod
// alone would also take "0x20" or "1e1".
bool isDecimal(std::string_view text) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (text.empty() || !digit(text.front()))
        return false;
    bool point = false;
    for (const char c : text) {
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (!digit(c))
            return false;
    }
    return true;
}

// "Name, size[, bold][, italic]".
Parsed parseFont(std::string_view value) {
    std::vector<std::string_view> parts;
    while (true) {
        const std::size_t comma = value.find(',');
        parts.push_back(trim(value.substr(0, comma)));
        if (comma == std::string_view::npos)
            break;
        value.remove_prefix(comma + 1);
    }
    const std::string usage = "; write fonts as Name, size, and optionally bold and italic";
    if (parts.size() < 2)
        return {std::nullopt, std::nullopt, "a font needs a name and a size" + usage};
    SkinFont font;
    font.face = std::string(parts[0]);
    if (font.face.empty() || font.face.size() > LongestFaceName)
        return {std::nullopt, std::nullopt,
                "the font name must have 1 to " + std::to_string(LongestFaceName) + " characters" +
                    usage};

    // Decimal points only, whatever the system's locale says.
    const std::string size(parts[1]);
    char* end = nullptr;
    font.points = std::strtod(size.c_str(), &end);
    const bool number = isDecimal(size) && end == size.c_str() + size.size();
    if (!number || font.points < SmallestFontPoints || font.points > LargestFontPoints)
        return {std::nullopt, std::nullopt,
                quoted(parts[1]) + " is not a font size from 4 to 72 points" + usage};

    for (std::size_t i = 2; i < parts.size(); ++i) {
        const std::string flag = lower(parts[i]);
        if (flag == "bold")
            font.bold = true;
        else if (flag == "italic")
            font.italic = true;
        else
            return {std::nullopt, std::nullopt,
                    quoted(parts[i]) + " is not bold or italic" + usage};
    }
    return {std::nullopt, font, {}};
}

} // namespace

SkinReading ReadSkin(std::string_view text) {
    SkinReading reading;
    const auto fail = [&](int line, std::string reason) {
        reading.fault = SkinFault{line, std::move(reason)};
        return reading;
    };

    text = WithoutUtf8ByteOrderMark(text);

    const Section* section = nullptr;
    NumberedLines lines(text);
    while (lines.next()) {
        const int number = static_cast<int>(lines.number());
        const std::string_view line = trim(lines.line());
        if (line.empty() || line.front() == '#' || line.front() == ';')
            continue;

        if (line.front() == '[') {
            if (line.back() != ']')
                return fail(number, quoted(line) + " is missing its closing ]");
            const std::string name = lower(trim(line.substr(1, line.size() - 2)));
            const auto found = std::find_if(Sections.begin(), Sections.end(),
                                            [&](const Section& s) { return s.name == name; });
            if (found == Sections.end())
                return fail(number, "[" + name +
                                        "] is not a section; the sections are [window], [list], "
                                        "[toolbar] and [progress]");
            section = &*found;
            continue;
        }

        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return fail(number, quoted(line) + " is neither a [section] nor a key = value line");
        if (!section)
            return fail(number, "the line comes before the first [section]");
        const std::string keyName = lower(trim(line.substr(0, equals)));
        const std::string_view value = trim(line.substr(equals + 1));
        const std::optional<Key> key = keyNamed(keyName);
        if (!key || !(section->keys & *key))
            return fail(number, quoted(keyName) + " is not a key of [" +
                                    std::string(section->name) + "]; it takes " + keysOf(*section));

        SkinPartStyle& part = reading.style.*(section->part);
        const Parsed parsed = *key == Font ? parseFont(value) : parseColour(value);
        if (!parsed.problem.empty())
            return fail(number, parsed.problem);
        switch (*key) {
        case Background:
            part.background = parsed.colour;
            break;
        case Text:
            part.text = parsed.colour;
            break;
        case Fill:
            part.fill = parsed.colour;
            break;
        case FillText:
            part.fillText = parsed.colour;
            break;
        case Font:
            part.font = parsed.font;
            break;
        }
    }
    return reading;
}

} // namespace quorvane
