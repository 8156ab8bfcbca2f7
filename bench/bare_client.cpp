#include "bare_client.h"

#include "support/message_pump.h"

#include "platform/win32/outlook_com.h"
#include "platform/win32/shell_launcher_win32.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <wrl/client.h>

#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace quorvane::bench {

namespace {

bool callBare(IDispatch* object, const wchar_t* name, WORD flags,
              std::initializer_list<const win32::Variant*> written, win32::Variant& result) {
    DISPID member = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member)))
        return false;
    std::vector<VARIANTARG> reversed;
    for (auto argument = std::rbegin(written); argument != std::rend(written); ++argument)
        reversed.push_back((*argument)->get());
    DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return SUCCEEDED(object->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                                    result.receive(), nullptr, nullptr));
}

constexpr WORD Get = DISPATCH_PROPERTYGET;
constexpr WORD Method = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

// Outlook's NameSpace, through a fresh activation. A server that is just
// quitting turns an activation away for a moment: tried again briefly.
bool bareSession(win32::Variant& session) {
    CLSID outlook{};
    if (FAILED(CLSIDFromProgID(L"Outlook.Application", &outlook)))
        return false;
    Microsoft::WRL::ComPtr<IDispatch> application;
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (SUCCEEDED(CoCreateInstance(outlook, nullptr, CLSCTX_LOCAL_SERVER,
                                       IID_PPV_ARGS(&application))))
            break;
        Sleep(250);
    }
    return application && callBare(application.Get(), L"Session", Get, {}, session);
}

std::wstring bareText(const win32::Variant& value) {
    return value.type() == VT_BSTR
               ? std::wstring(value.get().bstrVal, SysStringLen(value.get().bstrVal))
               : std::wstring();
}

} // namespace

bool importOneBare(const std::wstring& path, WaitStyle wait) {
    win32::ComOutlookAutomation outlook;
    win32::Win32ShellLauncher shell;
    auto application = outlook.createApplication();
    if (!application)
        return false;
    auto itemWindows = application.value()->inspectors();
    if (!itemWindows)
        return false;
    auto before = itemWindows.value()->count();
    if (!before || before.value() != 0)
        return false;
    ShellLaunch launch{NativeWindow::None, "outlook", "/v \"" + win32::toUtf8(path) + "\"", "C:\\",
                       ShowCommand::Maximized};
    if (!shell.launch(launch))
        return false;
    for (;;) {
        auto count = itemWindows.value()->count();
        if (!count)
            return false;
        if (count.value() == 1)
            break;
        if (wait == WaitStyle::SleepOnMessages)
            MsgWaitForMultipleObjectsEx(0, nullptr, 15, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        test::pump();
    }
    auto itemWindow = itemWindows.value()->item(1);
    if (!itemWindow)
        return false;
    auto item = itemWindow.value()->currentItem();
    if (!item || !item.value()->save())
        return false;
    auto again = itemWindows.value()->item(1);
    return again && again.value()->close(CloseMode::Discard);
}

std::vector<std::wstring> importAllBareWithoutWindows(const std::vector<std::wstring>& paths) {
    std::vector<std::wstring> ids(paths.size());
    win32::Variant session, folder, folderPath;
    const win32::Variant contacts{std::int32_t{10}};
    if (!bareSession(session) ||
        !callBare(session.get().pdispVal, L"GetDefaultFolder", Method, {&contacts}, folder) ||
        !callBare(folder.get().pdispVal, L"FolderPath", Get, {}, folderPath))
        return ids;
    for (std::size_t at = 0; at < paths.size(); ++at) {
        const win32::Variant path{win32::toUtf8(paths[at])};
        win32::Variant item, ignored, entryId, changed;
        if (callBare(session.get().pdispVal, L"OpenSharedItem", Method, {&path}, item) &&
            callBare(item.get().pdispVal, L"Save", DISPATCH_METHOD, {}, ignored) &&
            callBare(item.get().pdispVal, L"EntryID", Get, {}, entryId) &&
            callBare(item.get().pdispVal, L"LastModificationTime", Get, {}, changed))
            ids[at] = bareText(entryId);
    }
    return ids;
}

int deleteAllBare(const std::vector<std::wstring>& entryIds, bool readChangeTime) {
    win32::Variant session;
    if (!bareSession(session))
        return static_cast<int>(entryIds.size());
    int failed = 0;
    for (const std::wstring& id : entryIds) {
        const win32::Variant entryId{win32::toUtf8(id)};
        win32::Variant item, changed, ignored;
        const bool deleted =
            callBare(session.get().pdispVal, L"GetItemFromID", Method, {&entryId}, item) &&
            (!readChangeTime ||
             callBare(item.get().pdispVal, L"LastModificationTime", Get, {}, changed)) &&
            callBare(item.get().pdispVal, L"Delete", DISPATCH_METHOD, {}, ignored);
        failed += deleted ? 0 : 1;
    }
    return failed;
}

std::ptrdiff_t readContactsBare(IDispatch* folder) {
    const win32::Variant filter{std::string_view()}, userItems{std::int32_t{0}},
        blockRows{std::int32_t{500}};
    win32::Variant table, columns, ignored, ended, block;
    if (!callBare(folder, L"GetTable", Method, {&filter, &userItems}, table) ||
        !callBare(table.get().pdispVal, L"Columns", Get, {}, columns) ||
        !callBare(columns.get().pdispVal, L"RemoveAll", DISPATCH_METHOD, {}, ignored))
        return -1;
    // The columns the program asks for: the identity, the name, the company,
    // three e-mail addresses and every phone slot, one word each.
    std::vector<std::string> wanted;
    std::istringstream names(
        "EntryID FullName CompanyName Email1Address Email2Address Email3Address "
        "AssistantTelephoneNumber Business2TelephoneNumber BusinessFaxNumber "
        "BusinessTelephoneNumber CallbackTelephoneNumber CarTelephoneNumber "
        "CompanyMainTelephoneNumber Home2TelephoneNumber HomeFaxNumber HomeTelephoneNumber "
        "ISDNNumber MobileTelephoneNumber OtherFaxNumber OtherTelephoneNumber PagerNumber "
        "PrimaryTelephoneNumber RadioTelephoneNumber TelexNumber TTYTDDTelephoneNumber");
    for (std::string name; names >> name;)
        wanted.push_back(name);
    for (const std::string& name : wanted) {
        const win32::Variant column{std::string_view(name)};
        if (!callBare(columns.get().pdispVal, L"Add", Method, {&column}, ignored))
            return -1;
    }
    std::vector<std::string> cells;
    for (;;) {
        if (!callBare(table.get().pdispVal, L"EndOfTable", Get, {}, ended))
            return -1;
        if (ended.get().boolVal != VARIANT_FALSE)
            break;
        if (!callBare(table.get().pdispVal, L"GetArray", Method, {&blockRows}, block))
            return -1;
        if (block.type() != (VT_ARRAY | VT_VARIANT))
            break;
        SAFEARRAY* array = block.get().parray;
        VARIANT* data = nullptr;
        if (FAILED(SafeArrayAccessData(array, reinterpret_cast<void**>(&data))))
            return -1;
        const ULONG count = array->rgsabound[0].cElements * array->rgsabound[1].cElements;
        for (ULONG i = 0; i < count; ++i)
            cells.push_back(data[i].vt == VT_BSTR
                                ? win32::toUtf8({data[i].bstrVal, SysStringLen(data[i].bstrVal)})
                                : std::string());
        SafeArrayUnaccessData(array);
        if (count == 0)
            break;
    }
    return static_cast<std::ptrdiff_t>(cells.size() / wanted.size());
}

} // namespace quorvane::bench
