#include "config.h"

#include <algorithm>
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

bool readOptionalString(const wchar_t* name) {
    return RegGetValueW(HKEY_CURRENT_USER, ConfigKey, name, RRF_RT_REG_SZ, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
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

// The entries of a list separated by semicolons; empty ones are left out.
std::vector<std::wstring> readList(const wchar_t* name) {
    std::vector<std::wstring> entries;
    const std::wstring list = readString(name);
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t end = std::min(list.find(L';', start), list.size());
        if (end > start)
            entries.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return entries;
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
    config.failOpenSharedItem = readDword(L"FailOpenSharedItem", 0) != 0;
    config.failMove = readDword(L"FailMove", 0) != 0;
    config.vanishAtSave = readDword(L"VanishAtSave", 0);
    config.idleExitMs = readDword(L"IdleExitMs", config.idleExitMs);
    config.logFile = readString(L"LogFile");
    config.savedFile = readString(L"SavedFile");
    config.faultSeed = readOptionalDword(L"FaultSeed");
    config.faultPercent = readDword(L"FaultPercent", 0);
    config.preloadFile = readString(L"PreloadFile");
    config.storeFile = readString(L"StoreFile");
    config.failGetTable = readDword(L"FailGetTable", 0) != 0;
    config.failGetItemFromId = readDword(L"FailGetItemFromID", 0) != 0;
    config.failDelete = readDword(L"FailDelete", 0) != 0;
    config.logTimes = readDword(L"LogTimes", 0) != 0;
    config.utf8WithoutCharset = readDword(L"Utf8WithoutCharset", 0) != 0;
    config.savesEveryCard = readDword(L"SavesEveryCard", 0) != 0;
    const std::wstring keeps = readString(L"Keeps");
    config.keeps = keeps == L"more"   ? CardKeeping::More
                   : keeps == L"less" ? CardKeeping::Less
                                      : CardKeeping::AsDocumented;
    const std::wstring prompt = readString(L"AddressPrompt");
    config.addressPrompt = prompt == L"allow"    ? AddressPrompt::Allow
                           : prompt == L"refuse" ? AddressPrompt::Refuse
                                                 : AddressPrompt::Never;
    config.contactsFile = readString(L"ContactsFile");
    config.folders = readList(L"Folders");
    if (const std::wstring version = readString(L"Version"); !version.empty())
        config.version = version;
    return config;
}

std::optional<std::wstring> takeChooserAnswer() {
    if (!readOptionalString(L"PickFolder"))
        return std::wstring(L"Contacts");
    const std::wstring answers = readString(L"PickFolder");
    const std::size_t end = answers.find(L';');
    const std::wstring answer = answers.substr(0, end);
    if (end != std::wstring::npos) {
        const std::wstring rest = answers.substr(end + 1);
        RegSetKeyValueW(HKEY_CURRENT_USER, ConfigKey, L"PickFolder", REG_SZ, rest.c_str(),
                        static_cast<DWORD>((rest.size() + 1) * sizeof(wchar_t)));
    }
    if (answer.empty() || answer == L"Cancel")
        return std::nullopt;
    return answer;
}

bool countDownVanishAtSave(const StandInConfig& config) {
    if (config.vanishAtSave == 0)
        return false;
    if (config.vanishAtSave == 1) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, ConfigKey, L"VanishAtSave");
        return true;
    }
    const DWORD left = config.vanishAtSave - 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, ConfigKey, L"VanishAtSave", REG_DWORD, &left, sizeof left);
    return false;
}

} // namespace quorvane::standin
