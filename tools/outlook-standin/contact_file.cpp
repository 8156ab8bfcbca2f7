#include "contact_file.h"

#include "blanks.h"
#include "config.h"

#include "platform/win32/scoped_handles.h"

#include <windows.h>

#include <cstdlib>
#include <utility>

namespace quorvane::standin {

namespace {

constexpr unsigned Windows1252 = 1252;

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string upper(std::string_view text) {
    std::string result;
    for (const char c : text)
        result += upper(c);
    return result;
}

bool startsWithWord(std::string_view text, std::string_view word) {
    return text.size() >= word.size() && upper(text.substr(0, word.size())) == word;
}

// "BEGIN:VCARD" or "END:VCARD" (`word` is BEGIN or END) in any letter case,
// with blanks around the colon and the line.
bool isCardMarker(std::string_view line, std::string_view word) {
    line = trim(line);
    if (!startsWithWord(line, word))
        return false;
    line = trim(line.substr(word.size()));
    return !line.empty() && line.front() == ':' && upper(trim(line.substr(1))) == "VCARD";
}

// The file's text as bytes, and whether it was Unicode text. A UTF-16 file
// is turned into UTF-8 to be read the same way; a UTF-8 mark is only passed
// over, as Outlook still reads such a file's values in the ANSI code page.
std::pair<std::string, bool> fileText(std::string_view file) {
    const bool little = file.starts_with("\xFF\xFE");
    if (!little && !file.starts_with("\xFE\xFF")) {
        if (file.starts_with("\xEF\xBB\xBF"))
            file.remove_prefix(3);
        return {std::string(file), false};
    }
    std::wstring wide;
    for (std::size_t at = 2; at + 1 < file.size(); at += 2) {
        const auto first = static_cast<unsigned char>(file[at]);
        const auto second = static_cast<unsigned char>(file[at + 1]);
        wide += static_cast<wchar_t>(little ? first | second << 8 : first << 8 | second);
    }
    std::string text(wide.size() * 3, '\0');
    text.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                            static_cast<int>(text.size()), nullptr, nullptr)));
    return {text, true};
}

std::vector<std::string_view> physicalLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '\r' && text[at] != '\n')
            continue;
        lines.push_back(text.substr(start, at - start));
        if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n')
            ++at;
        start = at + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

// A property line cut at the colon that ends its parameters; a colon inside
// a quoted parameter value does not.
struct Head {
    std::string name;
    std::vector<std::string> parameters;
    std::size_t valueStart = 0;
};

std::optional<Head> readHead(std::string_view line) {
    Head head;
    bool quoted = false;
    std::size_t partStart = 0;
    for (std::size_t at = 0; at < line.size(); ++at) {
        if (line[at] == '"' && partStart > 0)
            quoted = !quoted;
        if (quoted || (line[at] != ';' && line[at] != ':'))
            continue;
        const std::string_view part = line.substr(partStart, at - partStart);
        if (partStart == 0) {
            const auto dot = part.rfind('.');
            head.name = upper(trim(dot == std::string_view::npos ? part : part.substr(dot + 1)));
        } else {
            head.parameters.emplace_back(trim(part));
        }
        partStart = at + 1;
        if (line[at] == ':') {
            head.valueStart = at + 1;
            return head;
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> parameterValue(const Head& head, std::string_view name) {
    for (const std::string& parameter : head.parameters) {
        const auto equals = parameter.find('=');
        if (equals == std::string::npos || upper(trim(parameter.substr(0, equals))) != name)
            continue;
        std::string_view value = trim(std::string_view(parameter).substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        return value;
    }
    return std::nullopt;
}

bool isQuotedPrintable(const Head& head) {
    for (const std::string& parameter : head.parameters) {
        if (upper(parameter) == "QUOTED-PRINTABLE")
            return true;
    }
    const auto encoding = parameterValue(head, "ENCODING");
    return encoding && upper(*encoding) == "QUOTED-PRINTABLE";
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    const char u = upper(c);
    return u >= 'A' && u <= 'F' ? u - 'A' + 10 : -1;
}

std::string decodeQuotedPrintable(std::string_view text) {
    std::string bytes;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '=' && at + 2 < text.size() && hexDigit(text[at + 1]) >= 0 &&
            hexDigit(text[at + 2]) >= 0) {
            bytes += static_cast<char>(hexDigit(text[at + 1]) * 16 + hexDigit(text[at + 2]));
            at += 2;
        } else if (text[at] != '=' || at + 1 < text.size()) {
            bytes += text[at]; // a stray "=" is kept; one at the very end is a soft break
        }
    }
    return bytes;
}

// The Windows code page a CHARSET names; Windows-1252 for one Outlook would
// not know either.
unsigned codePageOf(std::string_view charset) {
    const std::string name = upper(charset);
    if (name == "UTF-8")
        return CP_UTF8;
    if (name == "US-ASCII")
        return 20127;
    const auto number = [&](std::string_view prefix) {
        return name.starts_with(prefix) ? std::atoi(name.c_str() + prefix.size()) : 0;
    };
    if (const int part = number("ISO-8859-"); part >= 1 && part <= 16)
        return 28590 + static_cast<unsigned>(part);
    if (const int page = number("WINDOWS-"); page >= 1250 && page <= 1258)
        return static_cast<unsigned>(page);
    return Windows1252;
}

std::wstring wideText(std::string_view bytes, unsigned codePage) {
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(bytes.size());
    std::wstring text(bytes.size(), L'\0');
    text.resize(static_cast<std::size_t>(
        MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), size)));
    return text;
}

// vCard 3.0's backslash escapes undone; a line break becomes a space, as
// a caption has no room for one. Blanks at either end go.
std::wstring shown(std::wstring_view text) {
    std::wstring result;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const wchar_t next = at + 1 < text.size() ? text[at + 1] : L'\0';
        if (text[at] == L'\\' && (next == L'n' || next == L'N')) {
            result += L' ';
            ++at;
        } else if (text[at] == L'\\' && next != L'\0') {
            result += next;
            ++at;
        } else {
            result += text[at];
        }
    }
    const auto first = result.find_first_not_of(L" \t");
    if (first == std::wstring::npos)
        return {};
    return result.substr(first, result.find_last_not_of(L" \t") - first + 1);
}

// N's parts, split at its semicolons that no backslash escapes.
std::vector<std::wstring> nameParts(std::wstring_view value) {
    std::vector<std::wstring> parts(1);
    for (std::size_t at = 0; at < value.size(); ++at) {
        if (value[at] == L';') {
            parts.emplace_back();
            continue;
        }
        parts.back() += value[at];
        if (value[at] == L'\\' && at + 1 < value.size())
            parts.back() += value[++at];
    }
    return parts;
}

std::wstring fullName(const std::vector<CardProperty>& properties) {
    for (const CardProperty& property : properties) {
        if (property.name == "FN" && !shown(property.value).empty())
            return shown(property.value);
    }
    for (const CardProperty& property : properties) {
        if (property.name != "N")
            continue;
        const auto parts = nameParts(property.value);
        const std::wstring family = shown(parts[0]);
        const std::wstring given = parts.size() > 1 ? shown(parts[1]) : std::wstring();
        if (!given.empty() || !family.empty())
            return given + (given.empty() || family.empty() ? L"" : L" ") + family;
    }
    return L"contact 1";
}

// The card whose BEGIN line is at lines[at]; `at` ends past its END line, or
// at the BEGIN of a card that cut it off.
FirstContact readCard(const std::vector<std::string_view>& lines, std::size_t& at, bool unicode,
                      unsigned withoutCharset) {
    FirstContact contact;
    int depth = 1;
    bool agentAwaitsCard = false; // an AGENT with nothing after its colon
    for (++at; at < lines.size() && depth > 0;) {
        const std::string_view line = lines[at];
        if (isCardMarker(line, "BEGIN") && !agentAwaitsCard)
            break; // a card of its own begins: this one ends, cut off
        ++at;
        if (isCardMarker(line, "END")) {
            --depth;
            continue;
        }
        if (isCardMarker(line, "BEGIN")) {
            ++depth;
            agentAwaitsCard = false;
            continue;
        }
        const auto head = readHead(line);
        if (!head)
            continue;
        const bool quotedPrintable = isQuotedPrintable(*head);
        std::string value(line.substr(head->valueStart));
        while (at < lines.size()) {
            if (quotedPrintable && !value.empty() && value.back() == '=') {
                value.pop_back();
                value += lines[at++];
            } else if (!lines[at].empty() && isBlank(lines[at].front())) {
                value += lines[at++].substr(1);
            } else {
                break;
            }
        }
        // The AGENT line itself is the card's own; what it nests is not.
        const bool own = depth == 1;
        agentAwaitsCard = head->name == "AGENT" && trim(value).empty();
        if (head->name == "AGENT" && isCardMarker(value, "BEGIN"))
            ++depth;
        if (!own)
            continue;
        const std::string bytes = quotedPrintable ? decodeQuotedPrintable(value) : value;
        // A UTF-16 file's own text is Unicode; only bytes that quoted-printable
        // stood for go by a charset.
        const auto charset = parameterValue(*head, "CHARSET");
        unsigned codePage = charset ? codePageOf(*charset) : withoutCharset;
        if (unicode && (!quotedPrintable || !charset))
            codePage = CP_UTF8;
        contact.properties.push_back({head->name, head->parameters, wideText(bytes, codePage)});
    }
    contact.name = fullName(contact.properties);
    return contact;
}

} // namespace

namespace {

// The code page of a value that names none: the ANSI one Outlook falls back
// on, unless a test plays an Outlook that reads UTF-8 there.
unsigned codePageWithoutCharset() {
    return readConfig().utf8WithoutCharset ? CP_UTF8 : Windows1252;
}

} // namespace

std::optional<FirstContact> readFirstContact(std::string_view file) {
    const unsigned withoutCharset = codePageWithoutCharset();
    const auto [text, unicode] = fileText(file);
    const std::vector<std::string_view> lines = physicalLines(text);
    std::size_t at = 0;
    while (at < lines.size() && !isCardMarker(lines[at], "BEGIN"))
        ++at;
    if (at == lines.size())
        return std::nullopt;
    return readCard(lines, at, unicode, withoutCharset);
}

std::vector<FirstContact> readEveryContact(std::string_view file) {
    const unsigned withoutCharset = codePageWithoutCharset();
    const auto [text, unicode] = fileText(file);
    const std::vector<std::string_view> lines = physicalLines(text);
    std::vector<FirstContact> contacts;
    for (std::size_t at = 0; at < lines.size();) {
        if (isCardMarker(lines[at], "BEGIN"))
            contacts.push_back(readCard(lines, at, unicode, withoutCharset));
        else
            ++at;
    }
    return contacts;
}

std::string fileBytesOf(const std::wstring& path) {
    const win32::ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // Test files are small; a real Outlook reads a card file whole as well.
    std::string bytes;
    char block[64 * 1024];
    DWORD read = 0;
    while (file && ReadFile(file.get(), block, sizeof block, &read, nullptr) && read > 0)
        bytes.append(block, read);
    return bytes;
}

std::optional<FirstContact> readFirstContactFile(const std::wstring& path) {
    return readFirstContact(fileBytesOf(path));
}

std::vector<FirstContact> readEveryContactFile(const std::wstring& path) {
    return readEveryContact(fileBytesOf(path));
}

} // namespace quorvane::standin
