#include "platform/win32/regional_settings_win32.h"

#include "platform/win32/wide_text.h"

#include <windows.h>

namespace quorvane::win32 {

// Read afresh: the user may change it while the program runs, and a run
// asks once.
std::string Win32RegionalSettings::listSeparator() const {
    wchar_t separator[8] = {}; // LOCALE_SLIST holds at most four characters
    const int length =
        GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SLIST, separator, std::size(separator));
    if (length <= 1)
        return ",";
    return toUtf8(std::wstring_view(separator, static_cast<std::size_t>(length - 1)));
}

} // namespace quorvane::win32
