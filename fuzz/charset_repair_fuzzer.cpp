// A card holds whatever a phone or a person wrote. Its charset repair must
// add ";CHARSET=UTF-8" and nothing else (taken out again, the card is the
// original byte for byte), exactly where a plain reference, reading a byte at
// a time and sharing no code with the product, finds a property with
// non-ASCII UTF-8 and no CHARSET; and name those properties once, in order.

#include "cards/charset_repair.h"
#include "require.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <utility>
#include <vector>

using namespace quorvane;
using quorvane::fuzz::require;

namespace {

std::string upper(std::string_view s) {
    std::string u(s);
    for (char& c : u)
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
    return u;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
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

// Where the reference adds the parameter, and to which property.
std::vector<std::pair<std::size_t, std::string>> reference(std::string_view card) {
    std::vector<std::string_view> lines;
    std::size_t start = card.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    for (std::size_t i = start; i < card.size(); ++i) {
        if (card[i] == '\r' || card[i] == '\n') {
            lines.push_back(card.substr(start, i - start));
            start = i + (card.substr(i, 2) == "\r\n" ? 2 : 1);
            i = start - 1;
        }
    }
    if (start < card.size())
        lines.push_back(card.substr(start));
    std::vector<std::pair<std::size_t, std::string>> added;
    for (std::size_t n = 0; n < lines.size();) {
        const std::string_view line = lines[n++];
        // The colon that ends the head: the first outside quotes after the
        // name, or with a quote left open the first after the name.
        const std::size_t nameEnd = std::min(line.find(';'), line.find(':'));
        std::size_t colon = std::string_view::npos;
        bool quoted = false;
        for (std::size_t i = nameEnd; i < line.size() && colon == std::string_view::npos; ++i) {
            quoted = line[i] == '"' ? !quoted : quoted;
            colon = line[i] == ':' && !quoted ? i : colon;
        }
        if (colon == std::string_view::npos && nameEnd != std::string_view::npos)
            colon = line.find(':', nameEnd);
        std::vector<std::string_view> parts; // the name, then each parameter
        quoted = false;
        for (std::size_t i = 0, from = 0; colon != std::string_view::npos && i <= colon; ++i) {
            quoted = i > nameEnd && line[i] == '"' ? !quoted : quoted;
            if (i == nameEnd || i == colon || (i > nameEnd && line[i] == ';' && !quoted)) {
                parts.push_back(trim(line.substr(from, i - from)));
                from = i + 1;
            }
        }
        bool qp = false, charset = false;
        for (std::size_t p = 1; p < parts.size(); ++p) {
            const std::size_t eq = parts[p].find('=');
            std::string_view v = eq == std::string_view::npos ? "" : trim(parts[p].substr(eq + 1));
            if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
                v = v.substr(1, v.size() - 2);
            const std::string key = upper(trim(parts[p].substr(0, eq)));
            qp = eq == std::string_view::npos ? qp || key == "QUOTED-PRINTABLE"
                 : key == "ENCODING"          ? upper(v) == "QUOTED-PRINTABLE"
                                              : qp;
            charset = charset || (eq != std::string_view::npos && key == "CHARSET");
        }
        std::string value(colon == std::string_view::npos ? "" : line.substr(colon + 1));
        for (; n < lines.size(); ++n) {
            const std::string_view before = lines[n - 1], next = lines[n];
            if (qp && before.ends_with('=')) {
                value.pop_back();
                value += next;
            } else if (next.starts_with(' ') || next.starts_with('\t')) {
                value += next.substr(1);
            } else {
                break;
            }
        }
        const std::string_view name = parts.empty() ? "" : parts[0];
        const std::string shortName = upper(trim(name.substr(name.rfind('.') + 1)));
        if (colon == std::string_view::npos || shortName.empty() || charset)
            continue;
        std::string bytes;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (!qp || value[i] != '=') {
                bytes += value[i];
            } else if (i + 2 < value.size() &&
                       std::isxdigit(static_cast<unsigned char>(value[i + 1])) &&
                       std::isxdigit(static_cast<unsigned char>(value[i + 2]))) {
                bytes += static_cast<char>(std::stoi(value.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else if (i + 1 < value.size()) {
                bytes += '=';
            }
        }
        if (nonAsciiUtf8(bytes))
            added.emplace_back(static_cast<std::size_t>(line.data() - card.data()) + colon,
                               shortName);
    }
    return added;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view card(reinterpret_cast<const char*>(data), size);
    require(!RepairMissingCharsets(card, TextEncoding::Utf16Le), "UTF-16 is never repaired");
    const auto repair = RepairMissingCharsets(card, TextEncoding::Utf8);
    // The parameter starts with ';' and goes right before a colon, so the
    // first byte that differs from the original starts one.
    std::vector<std::size_t> added;
    std::size_t at = 0;
    for (std::size_t i = 0; repair && i < repair->bytes.size();) {
        if (at < card.size() && repair->bytes[i] == card[at]) {
            ++i, ++at;
            continue;
        }
        require(std::string_view(repair->bytes).substr(i).starts_with(AddedCharsetParameter) &&
                    card.substr(at, 1) == ":",
                "only the parameter is added, before a colon");
        added.push_back(at);
        i += AddedCharsetParameter.size();
    }
    require(!repair || (at == card.size() && !added.empty()), "the card is kept, and repaired");

    std::vector<std::size_t> expected;
    std::vector<std::string> names;
    for (const auto& [where, name] : reference(card)) {
        expected.push_back(where);
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    require(added == expected, "added where the reference adds it");
    require(!repair || repair->properties == names, "each property named once, in order");
    return 0;
}
