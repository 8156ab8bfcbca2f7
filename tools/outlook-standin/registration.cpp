#include "registration.h"

#include "automation_objects.h"

#include <string>

namespace quorvane::standin {
namespace {

constexpr wchar_t ProgId[] = L"Outlook.Application";
constexpr wchar_t AppPaths[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
// Windows looks up "outlook.exe"; Wine looks up the name exactly as given.
constexpr const wchar_t* AppPathNames[] = {L"outlook", L"outlook.exe"};

std::wstring classKey() {
    return std::wstring(L"Software\\Classes\\CLSID\\") + StandInClsidText;
}
std::wstring progIdKey() {
    return std::wstring(L"Software\\Classes\\") + ProgId;
}

std::wstring modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

HRESULT setDefault(const std::wstring& key, const std::wstring& value) {
    const LSTATUS status =
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    return HRESULT_FROM_WIN32(status);
}

HRESULT removeTree(const std::wstring& key) {
    const LSTATUS status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
    if (status == ERROR_FILE_NOT_FOUND)
        return S_OK;
    if (status != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(status);
    // RegDeleteTreeW empties the key but leaves the key itself.
    return HRESULT_FROM_WIN32(RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str()));
}

} // namespace

HRESULT registerServer() {
    const std::wstring exe = modulePath();
    const std::wstring entries[][2] = {
        {progIdKey(), L"Quorvane stand-in for Outlook"},
        {progIdKey() + L"\\CLSID", StandInClsidText},
        {classKey(), L"Quorvane stand-in for Outlook"},
        {classKey() + L"\\LocalServer32", L"\"" + exe + L"\""},
        {classKey() + L"\\ProgID", ProgId},
        {std::wstring(AppPaths) + AppPathNames[0], exe},
        {std::wstring(AppPaths) + AppPathNames[1], exe},
    };
    for (const auto& [key, value] : entries) {
        if (const HRESULT hr = setDefault(key, value); FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT unregisterServer() {
    HRESULT result = S_OK;
    for (const std::wstring& key :
         {progIdKey(), classKey(), std::wstring(AppPaths) + AppPathNames[0],
          std::wstring(AppPaths) + AppPathNames[1]}) {
        if (const HRESULT hr = removeTree(key); FAILED(hr))
            result = hr;
    }
    return result;
}

} // namespace quorvane::standin
