#include "support/standin.h"

#include "support/child_process.h"
#include "support/driver.h"
#include "support/message_pump.h"
#include "support/test_files.h"

#include "outlook-standin/standin_names.h"
#include "platform/win32/com_apartment.h"
#include "platform/win32/outlook_com.h"

#include <stdexcept>

namespace quorvane::test {

using standin::ConfigKey;

void resetStandIn(const std::wstring& logFile, const std::wstring& savedFile) {
    forgetStandInSwitches();
    DeleteFileW(logFile.c_str());
    DeleteFileW(savedFile.c_str());
    setStandIn(L"LogFile", logFile);
    setStandIn(L"SavedFile", savedFile);
    setStandIn(L"IdleExitMs", 1000);
}

std::vector<SavedContact> savedContacts(const std::wstring& savedFile) {
    std::vector<SavedContact> saved;
    for (const std::wstring& line : readLines(savedFile)) {
        SavedContact contact;
        std::size_t from = 0;
        for (std::wstring* field : {&contact.path, &contact.name, &contact.folder}) {
            const std::size_t tab = line.find(L'\t', from);
            *field = line.substr(from, tab == std::wstring::npos ? tab : tab - from);
            if (tab == std::wstring::npos)
                break;
            from = tab + 1;
        }
        saved.push_back(std::move(contact));
    }
    return saved;
}

std::vector<std::wstring> savedPaths(const std::wstring& savedFile) {
    std::vector<std::wstring> paths;
    for (SavedContact& contact : savedContacts(savedFile))
        paths.push_back(std::move(contact.path));
    return paths;
}

namespace {

// The stand-in's escapes for a backslash, tab, carriage return and line feed.
std::wstring unescaped(std::wstring_view text) {
    std::wstring result;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const wchar_t next = at + 1 < text.size() ? text[at + 1] : L'\0';
        if (text[at] != L'\\' || next == L'\0') {
            result += text[at];
            continue;
        }
        result += next == L't' ? L'\t' : next == L'r' ? L'\r' : next == L'n' ? L'\n' : next;
        ++at;
    }
    return result;
}

} // namespace

std::vector<SavedProperties> savedProperties(const std::wstring& contactsFile) {
    std::vector<SavedProperties> saved;
    for (const std::wstring& line : readLines(contactsFile)) {
        SavedProperties& contact = saved.emplace_back();
        std::size_t from = 0;
        for (std::size_t tab = 0; tab != std::wstring::npos; from = tab + 1) {
            tab = line.find(L'\t', from);
            const std::wstring_view field = std::wstring_view(line).substr(from, tab - from);
            const std::size_t equals = field.find(L'=');
            if (from == 0)
                contact.path = unescaped(field);
            else
                contact.properties[std::wstring(field.substr(0, equals))] =
                    unescaped(field.substr(equals + 1));
        }
    }
    return saved;
}

std::wstring standInFolderPath(const std::wstring& mailboxPath) {
    return L"\\\\Outlook Data File\\" + mailboxPath;
}

void setStandIn(const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, ConfigKey, name, REG_DWORD, &value, sizeof value);
}

void setStandIn(const wchar_t* name, const std::wstring& text) {
    RegSetKeyValueW(HKEY_CURRENT_USER, ConfigKey, name, REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void clearStandIn(const wchar_t* name) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, ConfigKey, name);
}

void forgetStandInSwitches() {
    RegDeleteTreeW(HKEY_CURRENT_USER, ConfigKey);
}

bool closeStandInItemWindows(std::chrono::milliseconds timeout) {
    return waitUntil(
        [] {
            HWND first = FindWindowExW(nullptr, nullptr, standin::ItemWindowClass, nullptr);
            for (HWND item = first; item;
                 item = FindWindowExW(nullptr, item, standin::ItemWindowClass, nullptr))
                PostMessageW(item, WM_CLOSE, 0, 0);
            return first == nullptr;
        },
        timeout);
}

void settleStandIn() {
    waitUntil(
        [] {
            closeStandInItemWindows(std::chrono::milliseconds(0));
            return FindWindowW(standin::ServerWindowClass, nullptr) == nullptr;
        },
        std::chrono::seconds(15));
}

std::wstring standInProgram() {
    return environment(L"QUORVANE_STANDIN_EXE");
}

void runStandIn(const wchar_t* argument) {
    const std::wstring standIn = standInProgram();
    if (standIn.empty())
        throw std::runtime_error("QUORVANE_STANDIN_EXE does not name the stand-in");
    ChildProcess(standIn, argument).waitForExit(std::chrono::seconds(30));
}

bool deleteInStandIn(const std::string& entryId, const std::string& storeId) {
    const win32::ComApartment apartment{win32::ComApartment::Kind::SingleThreaded};
    SessionOutcome reached = win32::ComOutlookAutomation().createSession();
    if (!reached.session)
        return false;
    auto item = reached.session.value()->itemFromId(entryId, storeId);
    return item && item.value()->remove();
}

} // namespace quorvane::test
