// A card holds whatever a phone or a person wrote. Its charset repair must
// add ";CHARSET=UTF-8" and nothing else (taken out again, the card is the
// original byte for byte), and add it exactly where a plain reference, which
// reads the card a character at a time and shares no code with the product,
// finds a property with non-ASCII UTF-8 and no CHARSET.

#include "cards/charset_repair.h"
#include "require.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace quorvane;
using quorvane::fuzz::require;

namespace {

struct Insertion {
    std::size_t at; // where, in the original card
    std::string name;
};

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool sameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upper(a[i]) != upper(b[i]))
            return false;
    }
    return true;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

int hex(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Well-formed UTF-8, decoded code point by code point.
bool wellFormed(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        std::uint32_t cp = 0;
        if (b < 0x80) {
            ++i;
            continue;
        }
        if ((b & 0xE0) == 0xC0) {
            n = 2;
            cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            n = 3;
            cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            n = 4;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (c & 0x3F);
        }
        const std::uint32_t least = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
        if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n;
    }
    return true;
}

struct Line {
    std::size_t start, end;
};

std::vector<Line> physicalLines(std::string_view card, std::size_t from) {
    std::vector<Line> lines;
    std::size_t start = from;
    for (std::size_t i = from; i < card.size(); ++i) {
        if (card[i] != '\r' && card[i] != '\n')
            continue;
        lines.push_back({start, i});
        if (card[i] == '\r' && i + 1 < card.size() && card[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < card.size())
        lines.push_back({start, card.size()});
    return lines;
}

// The head of a property line: its name and where its parameters end.
struct Head {
    std::string name; // upper case, without group
    std::size_t colon;
    std::vector<std::string_view> parameters; // trimmed
};

std::optional<Head> readHead(std::string_view line) {
    std::size_t nameEnd = 0;
    while (nameEnd < line.size() && line[nameEnd] != ';' && line[nameEnd] != ':')
        ++nameEnd;
    if (nameEnd == line.size())
        return std::nullopt;
    std::size_t colon = std::string_view::npos;
    bool quoted = false;
    for (std::size_t i = nameEnd; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        if (line[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon == std::string_view::npos)
        colon = line.find(':', nameEnd);
    if (colon == std::string_view::npos)
        return std::nullopt;
    Head head;
    std::string_view name = line.substr(0, nameEnd);
    if (const auto dot = name.rfind('.'); dot != std::string_view::npos)
        name = name.substr(dot + 1);
    for (const char c : trim(name))
        head.name += upper(c);
    head.colon = colon;
    if (colon > nameEnd) {
        const std::string_view all = line.substr(nameEnd + 1, colon - nameEnd - 1);
        std::size_t start = 0;
        quoted = false;
        for (std::size_t i = 0; i <= all.size(); ++i) {
            if (i < all.size() && all[i] == '"')
                quoted = !quoted;
            if (i == all.size() || (all[i] == ';' && !quoted)) {
                head.parameters.push_back(trim(all.substr(start, i - start)));
                start = i + 1;
            }
        }
    }
    return head;
}

std::string_view unquote(std::string_view v) {
    v = trim(v);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
        v = v.substr(1, v.size() - 2);
    return v;
}

bool isQuotedPrintable(const Head& head) {
    bool qp = false;
    for (const std::string_view p : head.parameters) {
        const auto eq = p.find('=');
        if (eq == std::string_view::npos)
            qp = qp || sameWord(p, "QUOTED-PRINTABLE");
        else if (sameWord(trim(p.substr(0, eq)), "ENCODING"))
            qp = sameWord(unquote(p.substr(eq + 1)), "QUOTED-PRINTABLE");
    }
    return qp;
}

bool namesCharset(const Head& head) {
    for (const std::string_view p : head.parameters) {
        const auto eq = p.find('=');
        if (eq != std::string_view::npos && sameWord(trim(p.substr(0, eq)), "CHARSET"))
            return true;
    }
    return false;
}

std::string decodeQuotedPrintable(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '=') {
            out += s[i];
        } else if (i + 1 == s.size()) {
            break;
        } else if (i + 2 < s.size() && hex(s[i + 1]) >= 0 && hex(s[i + 2]) >= 0) {
            out += static_cast<char>(hex(s[i + 1]) * 16 + hex(s[i + 2]));
            i += 2;
        } else {
            out += '=';
        }
    }
    return out;
}

// Where the reference would add the parameter.
std::vector<Insertion> referenceInsertions(std::string_view card) {
    const std::size_t from = card.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    const std::vector<Line> lines = physicalLines(card, from);
    std::vector<Insertion> insertions;
    const auto text = [&](const Line& l) { return card.substr(l.start, l.end - l.start); };
    for (std::size_t i = 0; i < lines.size();) {
        const std::size_t firstStart = lines[i].start;
        const std::string_view first = text(lines[i]);
        const auto head = readHead(first);
        const bool qp = head && isQuotedPrintable(*head);
        std::string value = head ? std::string(first.substr(head->colon + 1)) : std::string();
        std::size_t next = i + 1;
        for (; next < lines.size(); ++next) {
            const std::string_view before = text(lines[next - 1]);
            const std::string_view line = text(lines[next]);
            const bool soft = qp && !before.empty() && before.back() == '=';
            const bool folded = !line.empty() && (line[0] == ' ' || line[0] == '\t');
            if (soft) {
                value.pop_back();
                value += line;
            } else if (folded) {
                value += line.substr(1);
            } else {
                break;
            }
        }
        i = next;
        if (!head || head->name.empty() || namesCharset(*head))
            continue;
        const std::string bytes = qp ? decodeQuotedPrintable(value) : value;
        bool high = false;
        for (const char c : bytes)
            high = high || static_cast<unsigned char>(c) >= 0x80;
        if (high && wellFormed(bytes))
            insertions.push_back({firstStart + head->colon, head->name});
    }
    return insertions;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view card(reinterpret_cast<const char*>(data), size);
    require(!RepairMissingCharsets(card, TextEncoding::Utf16Le), "UTF-16 is never repaired");
    const auto repair = RepairMissingCharsets(card, TextEncoding::Utf8);

    // Take the added parameters out again, noting where they were: the
    // parameter starts with ';' and always goes right before a colon, so the
    // first byte that differs from the original starts one.
    std::vector<std::size_t> added;
    if (repair) {
        const std::string& bytes = repair->bytes;
        std::size_t at = 0;
        for (std::size_t i = 0; i < bytes.size();) {
            if (at < card.size() && bytes[i] == card[at]) {
                ++i;
                ++at;
                continue;
            }
            require(std::string_view(bytes).substr(i).starts_with(AddedCharsetParameter),
                    "only the parameter is added");
            require(at < card.size() && card[at] == ':', "the parameter goes before a colon");
            added.push_back(at);
            i += AddedCharsetParameter.size();
        }
        require(at == card.size(), "taken out again, the card is the original");
        require(!added.empty(), "a repair adds something");
    }

    std::vector<Insertion> expected = referenceInsertions(card);
    std::vector<std::string> names;
    for (Insertion& insertion : expected) {
        bool seen = false;
        for (const std::string& name : names)
            seen = seen || name == insertion.name;
        if (!seen)
            names.push_back(insertion.name);
    }
    require(added.size() == expected.size(), "added where the reference adds it");
    for (std::size_t i = 0; i < added.size(); ++i)
        require(added[i] == expected[i].at, "added where the reference adds it");
    require(!repair || repair->properties == names, "the repaired properties, each once, in order");
    return 0;
}
