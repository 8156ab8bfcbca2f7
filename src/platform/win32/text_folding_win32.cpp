#include "platform/win32/text_folding_win32.h"

#include "platform/win32/wide_text.h"

#include <windows.h>

namespace quorvane::win32 {

namespace {

// Both calls say first how long their answer is, then give it.
std::wstring composed(const std::wstring& text) {
    const int length = static_cast<int>(text.size());
    int needed = NormalizeString(NormalizationC, text.c_str(), length, nullptr, 0);
    // The estimate may be short; Windows says so and gives a better one.
    for (int attempt = 0; needed > 0 && attempt < 4; ++attempt) {
        std::wstring result(static_cast<std::size_t>(needed), L'\0');
        const int written =
            NormalizeString(NormalizationC, text.c_str(), length, result.data(), needed);
        if (written > 0) {
            result.resize(static_cast<std::size_t>(written));
            return result;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            break;
        needed = -written;
    }
    return text;
}

std::wstring lowerCase(const std::wstring& text) {
    const int length = static_cast<int>(text.size());
    const int needed = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, text.c_str(), length,
                                     nullptr, 0, nullptr, nullptr, 0);
    if (needed <= 0)
        return text;
    std::wstring result(static_cast<std::size_t>(needed), L'\0');
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, text.c_str(), length, result.data(),
                      needed, nullptr, nullptr, 0) <= 0)
        return text;
    return result;
}

} // namespace

std::string Win32TextFolding::folded(std::string_view text) const {
    if (text.empty())
        return {};
    return toUtf8(lowerCase(composed(toWide(text))));
}

} // namespace quorvane::win32
