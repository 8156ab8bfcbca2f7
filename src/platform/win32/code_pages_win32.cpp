#include "platform/win32/code_pages_win32.h"

#include "platform/win32/wide_text.h"

#include <windows.h>

#include <climits>

namespace quorvane::win32 {

namespace {

// These code pages refuse every flag, MB_ERR_INVALID_CHARS included, and fail
// the call outright; they are read without the check.
bool takesNoFlags(unsigned codePage) {
    return codePage == 42 || codePage == 65000 || (codePage >= 50220 && codePage <= 50229) ||
           (codePage >= 57002 && codePage <= 57011);
}

Failure lastFailure(unsigned codePage) {
    return Failure{"Code page " + std::to_string(codePage) + ": " + systemMessage(GetLastError())};
}

} // namespace

Outcome<std::string> Win32CodePages::toUtf8(std::string_view bytes, unsigned codePage) {
    if (bytes.empty())
        return std::string();
    if (bytes.size() > INT_MAX)
        return Failure{"Text too long to convert from code page " + std::to_string(codePage)};
    // Failing on a byte the code page does not define lets the caller try
    // another reading, rather than showing a name with question marks.
    const DWORD flags = takesNoFlags(codePage) ? 0 : MB_ERR_INVALID_CHARS;
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (length == 0)
        return lastFailure(codePage);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(codePage, flags, bytes.data(), size, wide.data(), length) == 0)
        return lastFailure(codePage);
    return win32::toUtf8(wide);
}

} // namespace quorvane::win32
