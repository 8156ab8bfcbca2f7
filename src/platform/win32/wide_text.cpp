#include "platform/win32/wide_text.h"

#include "platform/win32/scoped_handles.h"
#include "text/utf16_text.h"

#include <windows.h>

#include <cstdio>

namespace quorvane::win32 {

std::wstring toWide(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string toUtf8(std::wstring_view utf16) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");
    return Utf8FromUtf16(utf16);
}

std::string systemMessage(unsigned long code) {
    ScopedLocal<wchar_t*> buffer;
    // With FORMAT_MESSAGE_ALLOCATE_BUFFER the text's address comes back in
    // the place the text would otherwise go.
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(buffer.receive()), 0, nullptr);
    std::wstring text(buffer ? buffer.get() : L"", buffer ? length : 0);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (!text.empty())
        return toUtf8(text);
    char fallback[40];
    std::snprintf(fallback, sizeof fallback, "Error 0x%08lX", code);
    return fallback;
}

} // namespace quorvane::win32
