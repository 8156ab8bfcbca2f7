#include "config.h"

#include <vector>

namespace quorvane::standin {
namespace {

std::optional<DWORD> readOptionalDword(const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, ConfigKey, name, RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

DWORD readDword(const wchar_t* name, DWORD fallback) {
    return readOptionalDword(name).value_or(fallback);
}

std::wstring readString(const wchar_t* name) {
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, ConfigKey, name, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
            ERROR_SUCCESS ||
        size < sizeof(wchar_t))
        return {};
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, ConfigKey, name, RRF_RT_REG_SZ, nullptr, buffer.data(),
                     &size) != ERROR_SUCCESS)
        return {};
    return buffer.data();
}

} // namespace

StandInConfig readConfig() {
    StandInConfig config;
    config.openDelayMs = readDword(L"OpenDelayMs", config.openDelayMs);
    config.neverOpen = readDword(L"NeverOpen", 0) != 0;
    config.windowsPerOpen = readDword(L"WindowsPerOpen", config.windowsPerOpen);
    config.failSave = readDword(L"FailSave", 0) != 0;
    config.failClose = readDword(L"FailClose", 0) != 0;
    config.busyMs = readDword(L"BusyMs", config.busyMs);
    config.idleExitMs = readDword(L"IdleExitMs", config.idleExitMs);
    config.logFile = readString(L"LogFile");
    config.savedFile = readString(L"SavedFile");
    config.faultSeed = readOptionalDword(L"FaultSeed");
    config.faultPercent = readDword(L"FaultPercent", 0);
    return config;
}

} // namespace quorvane::standin
