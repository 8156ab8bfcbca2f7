#include "command_line.h"

#include "blanks.h"

#include <windows.h>

namespace quorvane::standin {
namespace {

// The program name follows Windows' rule: quoted up to the next quote, or up
// to the first blank, with no escapes.
std::wstring_view skipProgramName(std::wstring_view line) {
    if (!line.empty() && line.front() == L'"') {
        const size_t close = line.find(L'"', 1);
        return close == std::wstring_view::npos ? std::wstring_view{} : line.substr(close + 1);
    }
    size_t end = 0;
    while (end < line.size() && !isBlank(line[end]))
        ++end;
    return line.substr(end);
}

bool isSwitch(std::wstring_view token, std::wstring_view name) {
    if (token.size() != name.size() + 1 || (token[0] != L'/' && token[0] != L'-'))
        return false;
    token.remove_prefix(1);
    return CompareStringOrdinal(token.data(), static_cast<int>(token.size()), name.data(),
                                static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
}

std::wstring unquote(std::wstring_view text) {
    if (text.empty() || text.front() != L'"')
        return std::wstring(text);
    text.remove_prefix(1);
    return std::wstring(text.substr(0, text.find(L'"')));
}

} // namespace

Launch parseCommandLine(std::wstring_view commandLine) {
    const std::wstring_view arguments = trim(skipProgramName(commandLine));
    size_t tokenEnd = 0;
    while (tokenEnd < arguments.size() && !isBlank(arguments[tokenEnd]))
        ++tokenEnd;
    const std::wstring_view first = arguments.substr(0, tokenEnd);
    if (isSwitch(first, L"v"))
        return {LaunchMode::OpenFile, unquote(trim(arguments.substr(tokenEnd)))};
    if (isSwitch(first, L"regserver"))
        return {LaunchMode::RegisterServer, {}};
    if (isSwitch(first, L"unregserver"))
        return {LaunchMode::UnregisterServer, {}};
    return {LaunchMode::Serve, {}};
}

} // namespace quorvane::standin
