#include "platform/win32/registry_settings.h"

#include "platform/win32/scoped_handles.h"
#include "platform/win32/wide_text.h"

#include <initializer_list>
#include <string_view>

namespace quorvane::win32 {

namespace {

// Joins the non-empty parts with backslashes; an empty part would make an
// empty-named key.
std::wstring keyPath(std::initializer_list<std::string_view> parts) {
    std::string path;
    for (const std::string_view part : parts) {
        if (part.empty())
            continue;
        if (!path.empty())
            path += '\\';
        path += part;
    }
    return toWide(path);
}

} // namespace

Outcome<void> RegistrySettingsStore::saveSetting(std::string_view application,
                                                 std::string_view section, std::string_view key,
                                                 std::string_view text) {
    ScopedRegistryKey opened;
    LSTATUS status =
        RegCreateKeyExW(root_, keyPath({basePath_, application, section}).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, opened.receive(), nullptr);
    if (status != ERROR_SUCCESS)
        return Failure{systemMessage(static_cast<unsigned long>(status))};

    const std::wstring name = toWide(key);
    const std::wstring data = toWide(text);
    // REG_SZ data is counted in bytes and includes the terminating null.
    status = RegSetValueExW(opened.get(), name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS)
        return Failure{systemMessage(static_cast<unsigned long>(status))};
    return Success();
}

// Only text values are read: the program writes nothing else there.
std::map<std::string, std::string> RegistrySettingsStore::readSection(std::string_view application,
                                                                      std::string_view section) {
    std::map<std::string, std::string> values;
    ScopedRegistryKey opened;
    if (RegOpenKeyExW(root_, keyPath({basePath_, application, section}).c_str(), 0, KEY_QUERY_VALUE,
                      opened.receive()) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        wchar_t data[1024];
        DWORD nameLength = static_cast<DWORD>(std::size(name));
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        const LSTATUS status = RegEnumValueW(opened.get(), index, name, &nameLength, nullptr, &type,
                                             reinterpret_cast<BYTE*>(data), &dataSize);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS || type != REG_SZ)
            continue;
        std::size_t length = dataSize / sizeof(wchar_t);
        while (length > 0 && data[length - 1] == L'\0')
            --length;
        values[toUtf8({name, nameLength})] = toUtf8({data, length});
    }
    return values;
}

} // namespace quorvane::win32
