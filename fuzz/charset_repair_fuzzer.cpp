// The charset repair adds ";CHARSET=UTF-8" and nothing else (taken out, the
// card is the original byte for byte), only where a plain reference sharing
// no code with the product finds non-ASCII UTF-8 and no CHARSET, and names
// each such property once, in order.

#include "cards/charset_repair.h"
#include "require.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

using namespace quorvane;
using quorvane::fuzz::require;

namespace {

constexpr auto npos = std::string_view::npos;

std::string upperTrimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    std::string u(s);
    for (char& c : u)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

// Non-ASCII, and well-formed UTF-8 decoded a code point at a time.
bool nonAsciiUtf8(std::string_view s) {
    bool nonAscii = false;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i++]);
        const std::size_t more = b < 0x80 ? 0 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 9;
        if (more == 9 || b > 0xF7 || i + more > s.size())
            return false;
        std::uint32_t cp = b & (0x7F >> more);
        for (std::size_t k = 0; k < more; ++k, ++i) {
            if ((s[i] & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (s[i] & 0x3F);
        }
        const std::uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (cp < least[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000))
            return false;
        nonAscii = nonAscii || more > 0;
    }
    return nonAscii;
}

// Whether the property whose parameters end at the colon at `colon` holds
// non-ASCII UTF-8 (unfolded, quoted-printable decoded) and names no CHARSET;
// its name into `name`.
bool needsRepair(std::string_view card, std::size_t colon, std::string& name) {
    const std::size_t start = std::max<std::size_t>(card.find_last_of("\r\n", colon) + 1,
                                                    card.starts_with("\xEF\xBB\xBF") ? 3 : 0);
    const std::size_t end = std::min(card.find_first_of("\r\n", colon), card.size());
    const std::string_view head = card.substr(start, colon - start);
    const std::size_t nameEnd = std::min(head.find(';'), head.size());
    const std::string_view written = head.substr(0, nameEnd);
    name = upperTrimmed(written.substr(written.rfind('.') + 1));
    bool qp = false, charset = false, quoted = false;
    for (std::size_t i = nameEnd + 1, from = i; i <= head.size(); ++i) {
        quoted = i < head.size() && head[i] == '"' ? !quoted : quoted;
        if (i < head.size() && (head[i] != ';' || quoted))
            continue;
        const std::string_view parameter = head.substr(from, i - from);
        const std::size_t eq = parameter.find('=');
        const std::string key = upperTrimmed(parameter.substr(0, eq));
        std::string value = eq == npos ? "" : upperTrimmed(parameter.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        qp = eq == npos          ? qp || key == "QUOTED-PRINTABLE"
             : key == "ENCODING" ? value == "QUOTED-PRINTABLE"
                                 : qp;
        charset = charset || (eq != npos && key == "CHARSET");
        from = i + 1;
    }
    std::string value(card.substr(colon + 1, end - colon - 1));
    for (std::size_t lineStart = start, lineEnd = end; lineEnd < card.size();) {
        const std::size_t next = lineEnd + (card.substr(lineEnd, 2) == "\r\n" ? 2 : 1);
        const std::string_view line = card.substr(next, card.find_first_of("\r\n", next) - next);
        if (qp && lineEnd > lineStart && card[lineEnd - 1] == '=') {
            value.pop_back();
            value += line;
        } else if (line.starts_with(' ') || line.starts_with('\t')) {
            value += line.substr(1);
        } else {
            break;
        }
        lineStart = next;
        lineEnd = next + line.size();
    }
    std::string bytes;
    const auto hex = [&](std::size_t at) {
        return std::isxdigit(static_cast<unsigned char>(value[at]));
    };
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (!qp || value[i] != '=') {
            bytes += value[i];
        } else if (i + 2 < value.size() && hex(i + 1) && hex(i + 2)) {
            bytes += static_cast<char>(std::stoi(value.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else if (i + 1 < value.size()) {
            bytes += '='; // kept, unless a soft break at the very end
        }
    }
    return !name.empty() && !charset && nonAsciiUtf8(bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view card(reinterpret_cast<const char*>(data), size);
    require(!RepairMissingCharsets(card, TextEncoding::Utf16Le), "UTF-16 is never repaired");
    const auto repair = RepairMissingCharsets(card, TextEncoding::Utf8);
    if (!repair)
        return 0;
    // The parameter starts with ';' and goes right before a colon, so the
    // first byte that differs from the original starts one.
    std::vector<std::string> names;
    std::size_t at = 0;
    for (std::size_t i = 0; i < repair->bytes.size();) {
        if (at < card.size() && repair->bytes[i] == card[at]) {
            ++i, ++at;
            continue;
        }
        require(std::string_view(repair->bytes).substr(i).starts_with(AddedCharsetParameter) &&
                    card.substr(at, 1) == ":",
                "only the parameter is added, before a colon");
        std::string name;
        require(needsRepair(card, at, name), "only non-ASCII UTF-8 without a charset is repaired");
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
        i += AddedCharsetParameter.size();
    }
    require(at == card.size() && !names.empty(), "taken out again, the card is the original");
    require(repair->properties == names, "each repaired property named once, in order");
    return 0;
}
