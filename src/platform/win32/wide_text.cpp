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

namespace {

std::wstring formatted(unsigned long code) {
    ScopedLocal<wchar_t*> buffer;
    // With FORMAT_MESSAGE_ALLOCATE_BUFFER the text's address comes back in
    // the place the text would otherwise go.
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(buffer.receive()), 0, nullptr);
    std::wstring text(buffer ? buffer.get() : L"", buffer ? length : 0);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text;
}

// The codes a machine without Outlook answers with, for systems whose
// message tables lack them (Wine's among them): the user reads words.
const char* knownComWords(unsigned long code) {
    switch (static_cast<HRESULT>(code)) {
    case CO_E_CLASSSTRING:
        return "Invalid class string: no program is registered under that name.";
    case REGDB_E_CLASSNOTREG:
        return "Class not registered: the program registered under that name is missing.";
    case CO_E_SERVER_EXEC_FAILURE:
        return "Server execution failed: the program could not be started.";
    case CO_E_APPNOTFOUND:
        return "The program registered under that name could not be found.";
    default:
        return nullptr;
    }
}

} // namespace

std::string systemMessage(unsigned long code) {
    std::wstring text = formatted(code);
    // A Win32 error wrapped as an HRESULT has its words under the bare code.
    if (text.empty() && HRESULT_FACILITY(static_cast<HRESULT>(code)) == FACILITY_WIN32)
        text = formatted(HRESULT_CODE(static_cast<HRESULT>(code)));
    if (!text.empty())
        return toUtf8(text);
    if (const char* words = knownComWords(code))
        return words;
    char fallback[80];
    std::snprintf(fallback, sizeof fallback, "Windows gives no words for this (code 0x%08lX).",
                  code);
    return fallback;
}

} // namespace quorvane::win32
