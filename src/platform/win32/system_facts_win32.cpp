#include "platform/win32/system_facts_win32.h"

#include "platform/win32/scoped_handles.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <cstdio>

namespace quorvane::win32 {

// RtlGetVersion tells the truth whatever the program's manifest declares;
// GetVersionEx would say 6.2 to a program that declares no newer Windows.
std::string Win32SystemFacts::windowsVersion() const {
    using RtlGetVersionCall = LONG(WINAPI*)(OSVERSIONINFOW*);
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto getVersion = reinterpret_cast<RtlGetVersionCall>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (getVersion == nullptr || getVersion(&info) != 0)
        return "Windows (version unknown)";
    char text[64];
    std::snprintf(text, sizeof text, "Windows %lu.%lu.%lu", info.dwMajorVersion,
                  info.dwMinorVersion, info.dwBuildNumber);
    return text;
}

// Office keeps it as "x64" or "x86" under the Outlook key of its version.
std::string Win32SystemFacts::outlookBitness() const {
    for (const wchar_t* key : {L"SOFTWARE\\Microsoft\\Office\\16.0\\Outlook",
                               L"SOFTWARE\\Microsoft\\Office\\15.0\\Outlook"}) {
        wchar_t value[16];
        DWORD size = sizeof value;
        if (RegGetValueW(HKEY_LOCAL_MACHINE, key, L"Bitness", RRF_RT_REG_SZ, nullptr, value,
                         &size) != ERROR_SUCCESS)
            continue;
        const std::wstring bitness(value);
        if (bitness == L"x64")
            return "64-bit";
        if (bitness == L"x86")
            return "32-bit";
    }
    return {};
}

std::string Win32SystemFacts::localTimeStamp() const {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u.%02u.%02u", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    return text;
}

} // namespace quorvane::win32
