// The stand-in Outlook, driven the way the importer drives the real one:
// `outlook /v "<file>"` through the shell, then late-bound COM calls by name.
// Every other Windows test trusts these behaviours, so they are proven here
// against the stand-in alone.
//
// QUORVANE_STANDIN_EXE (optional) names the stand-in; when set, the suite
// registers that copy first.

#include "support/message_pump.h"
#include "support/standin.h"
#include "support/test_files.h"

#include "platform/win32/com_apartment.h"
#include "platform/win32/wide_text.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>
#include <windows.h>
#include <wrl/client.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace quorvane;
using namespace quorvane::test;
using Microsoft::WRL::ComPtr;
using win32::toUtf8;
using win32::toWide;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr short Discard = 1; // olDiscard: the item is saved explicitly first

// True when `expected` appear in `lines` in this order (other lines between).
bool inOrder(const std::vector<std::string>& lines, const std::vector<std::string>& expected) {
    auto next = lines.begin();
    for (const std::string& line : expected) {
        next = std::find(next, lines.end(), line);
        if (next == lines.end())
            return false;
        ++next;
    }
    return true;
}

bool contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// An argument of `type`, its value set by `fill`.
template <typename Fill> VARIANT argumentOf(VARTYPE type, Fill fill) {
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = type;
    fill(argument);
    return argument;
}

VARIANT shortArgument(short value) {
    return argumentOf(VT_I2, [=](VARIANT& argument) { argument.iVal = value; });
}

VARIANT textArgument(const std::wstring& text) {
    return argumentOf(VT_BSTR, [&](VARIANT& argument) {
        argument.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    });
}

// Borrowed: the caller's reference outlives the call.
VARIANT objectArgument(IDispatch* object) {
    return argumentOf(VT_DISPATCH, [=](VARIANT& argument) { argument.pdispVal = object; });
}

VARIANT longArgument(long value) {
    return argumentOf(VT_I4, [=](VARIANT& argument) { argument.lVal = value; });
}

// A property put as any late-bound client makes it: the new value as the one
// argument, named DISPID_PROPERTYPUT.
HRESULT put(IDispatch* object, const wchar_t* name, VARIANT value) {
    DISPID id = DISPID_UNKNOWN;
    auto* names = const_cast<LPOLESTR>(name);
    HRESULT hr = object->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    if (SUCCEEDED(hr))
        hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                            nullptr, nullptr, nullptr);
    VariantClear(&value);
    return hr;
}

// One late-bound call and everything it answered.
struct Call {
    HRESULT hr = E_FAIL;
    VARIANT value{};
    std::wstring source;
    std::wstring description;
    HRESULT scode = S_OK;

    Call() { VariantInit(&value); }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
    ~Call() { VariantClear(&value); }

    ComPtr<IDispatch> object() const {
        return value.vt == VT_DISPATCH ? ComPtr<IDispatch>(value.pdispVal) : nullptr;
    }
};

void invoke(IDispatch* object, const wchar_t* name, std::vector<VARIANT> arguments, Call& call) {
    ASSERT_NE(object, nullptr);
    DISPID id = DISPID_UNKNOWN;
    auto* names = const_cast<LPOLESTR>(name);
    call.hr = object->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(call.hr))
        return;
    std::reverse(arguments.begin(), arguments.end()); // rgvarg holds them last-first
    DISPPARAMS params{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    EXCEPINFO exception{};
    UINT argError = 0;
    call.hr =
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                       &params, &call.value, &exception, &argError);
    for (VARIANT& argument : arguments)
        if (argument.vt == VT_BSTR)
            VariantClear(&argument);
    call.scode = exception.scode;
    if (exception.bstrSource)
        call.source = exception.bstrSource;
    if (exception.bstrDescription)
        call.description = exception.bstrDescription;
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
}

ComPtr<IDispatch> getObject(IDispatch* object, const wchar_t* name,
                            std::vector<VARIANT> arguments = {}) {
    Call call;
    invoke(object, name, std::move(arguments), call);
    EXPECT_EQ(call.hr, S_OK) << toUtf8(name) << ": " << toUtf8(call.description);
    return call.object();
}

long count(IDispatch* inspectors) {
    Call call;
    invoke(inspectors, L"Count", {}, call);
    EXPECT_EQ(call.hr, S_OK);
    EXPECT_EQ(call.value.vt, VT_I4);
    return call.value.lVal;
}

// Polls Count as the importer does until it reaches `expected`; returns the
// last count seen.
long waitForCount(IDispatch* inspectors, long expected, DWORD timeoutMs) {
    long seen = 0;
    waitUntil([&] { return (seen = count(inspectors)) == expected; }, milliseconds(timeoutMs));
    return seen;
}

void launch(const std::wstring& path) {
    const std::wstring parameters = L"/v \"" + path + L"\"";
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, nullptr, L"outlook", parameters.c_str(), L"C:\\", SW_SHOWMAXIMIZED));
    ASSERT_GT(result, 32) << "ShellExecute failed: " << result;
}

class OutlookStandInTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!standInProgram().empty())
            runStandIn(L"/regserver");
    }

    void SetUp() override {
        ASSERT_TRUE(apartment.joined());
        forgetStandInSwitches();

        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        folder = tempFolder(L"standin-" + toWide(test->name()));
        logFile = folder + L"\\events.log";
        savedFile = folder + L"\\saved.txt";
        setStandIn(L"LogFile", logFile);
        setStandIn(L"SavedFile", savedFile);
        // A mailbox of the test's own, whatever earlier tests stored.
        setStandIn(L"StoreFile", folder + L"\\mailbox.txt");

        application = createApplication();
        ASSERT_NE(application, nullptr);
        inspectors = getObject(application.Get(), L"Inspectors");
        ASSERT_NE(inspectors, nullptr);
        ASSERT_EQ(count(inspectors.Get()), 0) << "a window was left open before this test";
    }

    // Windows a failed test left open would skew every later count.
    void TearDown() override {
        if (inspectors) {
            setStandIn(L"FailClose", 0);
            setStandIn(L"NeverOpen", 1);
            for (int left = 8; left > 0 && count(inspectors.Get()) > 0; --left) {
                Call close;
                invoke(getObject(inspectors.Get(), L"Item", {shortArgument(1)}).Get(), L"Close",
                       {shortArgument(Discard)}, close);
            }
        }
        inspectors.Reset();
        application.Reset();
        forgetStandInSwitches();
    }

    // A server on its way out can refuse the first activation; Outlook's
    // clients retry, and so does this one.
    static ComPtr<IDispatch> createApplication() {
        CLSID clsid{};
        if (FAILED(CLSIDFromProgID(L"Outlook.Application", &clsid)))
            return nullptr;
        ComPtr<IDispatch> created;
        for (int attempt = 0; attempt < 4; ++attempt) {
            if (SUCCEEDED(
                    CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&created))))
                return created;
            pumpFor(milliseconds(250));
        }
        return nullptr;
    }

    std::vector<std::string> log() const { return readUtf8Lines(logFile); }

    bool waitForLogLine(const std::string& line, DWORD timeoutMs) const {
        return waitUntil([&] { return contains(log(), line); }, milliseconds(timeoutMs));
    }

    // A contact file in this test's folder, its folders made on the way. The
    // stand-in reads its first card, as Outlook does.
    std::wstring contactFile(const std::wstring& name, const std::string& fullName = "Ada") const {
        return contactAt(folder + L"\\" + name, fullName);
    }
    static std::wstring contactAt(const std::wstring& path, const std::string& fullName = "Ada") {
        makeFolders(path.substr(0, path.find_last_of(L'\\')));
        writeFile(path, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + fullName + "\r\nEND:VCARD\r\n");
        return path;
    }

    // First in, last out: the COM pointers below go before the apartment.
    win32::ComApartment apartment;
    std::wstring folder;
    std::wstring logFile;
    std::wstring savedFile;
    ComPtr<IDispatch> application;
    ComPtr<IDispatch> inspectors;
};

// The whole import cycle for several files in turn, including a path with
// spaces and non-ASCII letters and one longer than MAX_PATH, both handed to
// the already running server.
TEST_F(OutlookStandInTest, ImportsFilesOneAfterAnother) {
    const std::wstring plain = contactFile(L"Zoë Straße\\Ada Lovelace.vcf");
    std::wstring deep = folder + L"\\";
    while (deep.size() < 300)
        deep += L"nested folder\\";
    deep += L"long.vcf";
    contactAt(deep, "Grace");
    const std::vector<std::wstring> files = {plain, deep};

    for (const std::wstring& file : files) {
        const auto started = Clock::now();
        launch(file);
        ASSERT_EQ(waitForCount(inspectors.Get(), 1, 10000), 1);

        ComPtr<IDispatch> inspector = getObject(inspectors.Get(), L"Item", {shortArgument(1)});
        ComPtr<IDispatch> item = getObject(inspector.Get(), L"CurrentItem");
        ASSERT_NE(item, nullptr);
        Call save;
        invoke(item.Get(), L"Save", {}, save);
        EXPECT_EQ(save.hr, S_OK);
        Call close;
        invoke(inspector.Get(), L"Close", {shortArgument(Discard)}, close);
        EXPECT_EQ(close.hr, S_OK);
        EXPECT_EQ(count(inspectors.Get()), 0) << "Close returns after the window is gone";
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
        std::printf("[ cycle    ] %lld ms\n", static_cast<long long>(elapsed.count()));
    }

    const std::string contacts = "\t" + toUtf8(standInFolderPath(L"Contacts"));
    EXPECT_EQ(readUtf8Lines(savedFile),
              std::vector<std::string>(
                  {toUtf8(plain) + "\tAda" + contacts, toUtf8(deep) + "\tGrace" + contacts}));
    std::vector<std::string> expected;
    for (const std::wstring& file : files) {
        const std::string path = toUtf8(file);
        for (const char* event : {"launch ", "open ", "get CurrentItem ", "Save ", "Close(1) "})
            expected.push_back(event + path);
    }
    EXPECT_TRUE(inOrder(log(), expected));

    // A client may also reach the running "Outlook" without starting one.
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(L"Outlook.Application", &clsid), S_OK);
    ComPtr<IUnknown> running;
    EXPECT_EQ(GetActiveObject(clsid, nullptr, &running), S_OK);
    running.Reset();

    // Letting go of everything is seen by the server, which may then leave.
    inspectors.Reset();
    application.Reset();
    EXPECT_TRUE(waitForLogLine("release Application live=0", 3000));
}

// Outlook reads the first card of a file and no further; a file without one
// opens no window at all.
TEST_F(OutlookStandInTest, ItemWindowShowsTheFilesFirstContactOnly) {
    const std::wstring empty = contactFile(L"notes.vcf");
    writeFile(empty, "no card here\r\n");
    launch(empty);
    EXPECT_TRUE(waitForLogLine("no contact " + toUtf8(empty), 5000));
    EXPECT_EQ(count(inspectors.Get()), 0);

    const std::wstring file = contactFile(L"two.vcf", "Grace Hopper");
    writeFile(file, "BEGIN:VCARD\r\nFN:Grace Hopper\r\nEND:VCARD\r\n"
                    "BEGIN:VCARD\r\nFN:Alan Turing\r\nEND:VCARD\r\n");
    launch(file);
    ASSERT_EQ(waitForCount(inspectors.Get(), 1, 10000), 1);
    HWND window = FindWindowW(nullptr, L"Grace Hopper - Contact");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));

    // Closed by the user rather than by automation: it stops counting too.
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(waitForCount(inspectors.Get(), 0, 5000), 0);
}

// The failures the importer must report carry Outlook's own words, which the
// importer shows to the user verbatim.
TEST_F(OutlookStandInTest, FailuresCarryOutlooksErrorText) {
    setStandIn(L"FailSave", 1);
    setStandIn(L"FailClose", 1);
    const std::wstring file = contactFile(L"broken.vcf");
    const std::string path = toUtf8(file);
    launch(file);
    ASSERT_EQ(waitForCount(inspectors.Get(), 1, 10000), 1);
    ComPtr<IDispatch> inspector = getObject(inspectors.Get(), L"Item", {longArgument(1)});

    Call save;
    invoke(getObject(inspector.Get(), L"CurrentItem").Get(), L"Save", {}, save);
    EXPECT_EQ(save.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(save.source, L"Outlook");
    EXPECT_EQ(save.description, L"The contact could not be saved.");

    Call close;
    invoke(inspector.Get(), L"Close", {shortArgument(Discard)}, close);
    EXPECT_EQ(close.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(close.source, L"Outlook");
    EXPECT_EQ(close.description, L"The item window could not be closed.");
    EXPECT_EQ(count(inspectors.Get()), 1) << "a failed Close leaves the window open";

    Call outOfRange;
    invoke(inspectors.Get(), L"Item", {shortArgument(2)}, outOfRange);
    EXPECT_EQ(outOfRange.hr, DISP_E_EXCEPTION);
    EXPECT_FALSE(outOfRange.description.empty());

    // Switches are read at each call: the same window now closes.
    setStandIn(L"FailClose", 0);
    Call retry;
    invoke(inspector.Get(), L"Close", {shortArgument(Discard)}, retry);
    EXPECT_EQ(retry.hr, S_OK);
    EXPECT_EQ(count(inspectors.Get()), 0);

    EXPECT_TRUE(readUtf8Lines(savedFile).empty());
    EXPECT_TRUE(inOrder(log(), {"launch " + path, "open " + path, "fail Save " + path,
                                "fail Close " + path, "Close(1) " + path}));
}

// How many windows a request opens, and whether it opens any, is what the
// importer's wait has to cope with.
TEST_F(OutlookStandInTest, WindowCountFollowsTheSwitches) {
    setStandIn(L"WindowsPerOpen", 2);
    const std::wstring twice = contactFile(L"twice.vcf");
    launch(twice);
    ASSERT_EQ(waitForCount(inspectors.Get(), 2, 10000), 2);
    for (long position : {1L, 2L}) {
        Call current;
        ComPtr<IDispatch> inspector =
            getObject(inspectors.Get(), L"Item", {longArgument(position)});
        invoke(inspector.Get(), L"CurrentItem", {}, current);
        EXPECT_EQ(current.hr, S_OK);
    }
    for (int window = 0; window < 2; ++window) {
        Call close;
        invoke(getObject(inspectors.Get(), L"Item", {shortArgument(1)}).Get(), L"Close",
               {shortArgument(Discard)}, close);
        EXPECT_EQ(close.hr, S_OK);
    }
    EXPECT_EQ(count(inspectors.Get()), 0);
    // Each Item call is logged with the VARIANT type its position came as.
    const std::string asLong = " vt=" + std::to_string(VT_I4);
    const std::string asShort = " vt=" + std::to_string(VT_I2);
    EXPECT_TRUE(inOrder(
        log(), {"Item(1)" + asLong, "Item(2)" + asLong, "Item(1)" + asShort, "Item(1)" + asShort}));

    setStandIn(L"WindowsPerOpen", 1);
    setStandIn(L"NeverOpen", 1);
    const std::wstring never = contactFile(L"never.vcf");
    launch(never);
    ASSERT_TRUE(waitForLogLine("launch " + toUtf8(never), 5000));
    EXPECT_EQ(waitForCount(inspectors.Get(), 1, 1500), 0);
    EXPECT_FALSE(contains(log(), "open " + toUtf8(never)));
}

TEST_F(OutlookStandInTest, OpensOnlyAfterTheConfiguredDelay) {
    constexpr DWORD DelayMs = 800;
    setStandIn(L"OpenDelayMs", DelayMs);
    const std::wstring file = contactFile(L"slow.vcf");
    const auto started = Clock::now();
    launch(file);
    ASSERT_EQ(waitForCount(inspectors.Get(), 1, 10000), 1);
    const auto waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
    EXPECT_GE(waited.count(), DelayMs);
    EXPECT_LT(waited.count(), DelayMs + 3000);
}

// Outlook turns calls away while it loads an item; the importer must survive
// a rejected call and succeed once the server is free again.
TEST_F(OutlookStandInTest, RejectsCallsWhileBusy) {
    setStandIn(L"BusyMs", 1500);
    const std::wstring file = contactFile(L"busy.vcf");
    launch(file);
    ASSERT_TRUE(waitForLogLine("launch " + toUtf8(file), 5000));

    Call rejected;
    invoke(inspectors.Get(), L"Count", {}, rejected);
    EXPECT_TRUE(rejected.hr == RPC_E_CALL_REJECTED || rejected.hr == RPC_E_SERVERCALL_RETRYLATER)
        << std::hex << rejected.hr;
    EXPECT_TRUE(contains(log(), "reject busy"));

    pumpFor(milliseconds(1700));
    EXPECT_EQ(waitForCount(inspectors.Get(), 1, 5000), 1);
}

// The session's own failures, by switch, in Outlook's words; none stores
// anything.
TEST_F(OutlookStandInTest, SessionFailuresCarryOutlooksWords) {
    ComPtr<IDispatch> session = getObject(application.Get(), L"Session");
    const std::wstring notes = contactFile(L"notes.vcf");
    writeFile(notes, "no card here\r\n");
    Call noCard;
    invoke(session.Get(), L"OpenSharedItem", {textArgument(notes)}, noCard);
    EXPECT_EQ(noCard.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(noCard.source, L"Outlook");
    EXPECT_EQ(noCard.description.find(L"Cannot open file: " + notes + L"."), 0u);

    const std::wstring file = contactFile(L"a.vcf");
    setStandIn(L"FailOpenSharedItem", 1);
    Call refused;
    invoke(session.Get(), L"OpenSharedItem", {textArgument(file)}, refused);
    EXPECT_EQ(refused.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(refused.description.find(L"Cannot open file: " + file + L"."), 0u);
    setStandIn(L"FailOpenSharedItem", 0);

    setStandIn(L"FailMove", 1);
    setStandIn(L"FailSave", 1);
    ComPtr<IDispatch> item = getObject(session.Get(), L"OpenSharedItem", {textArgument(file)});
    ComPtr<IDispatch> contacts = getObject(session.Get(), L"GetDefaultFolder", {shortArgument(10)});
    Call move;
    invoke(item.Get(), L"Move", {objectArgument(contacts.Get())}, move);
    EXPECT_EQ(move.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(move.description, L"Cannot move the items.");
    Call save;
    invoke(item.Get(), L"Save", {}, save);
    EXPECT_EQ(save.description, L"The contact could not be saved.");
    EXPECT_TRUE(readUtf8Lines(savedFile).empty());
    EXPECT_TRUE(
        inOrder(log(), {"no contact " + toUtf8(notes), "fail OpenSharedItem " + toUtf8(file),
                        "fail Move " + toUtf8(file), "fail Save " + toUtf8(file)}));
}

using Cells = std::vector<std::vector<std::wstring>>;

// The text of an array's cells: v(row, column) as Visual Basic indexes it,
// or one row for a one-dimensional array.
Cells cellsOf(const VARIANT& value) {
    if (value.vt != (VT_ARRAY | VT_VARIANT))
        return {};
    SAFEARRAY* cells = value.parray;
    const UINT dimensions = SafeArrayGetDim(cells);
    LONG lastRow = 0;
    LONG lastColumn = 0;
    SafeArrayGetUBound(cells, 1, dimensions == 1 ? &lastColumn : &lastRow);
    if (dimensions == 2)
        SafeArrayGetUBound(cells, 2, &lastColumn);
    Cells rows(lastRow + 1);
    for (LONG row = 0; row <= lastRow; ++row) {
        for (LONG column = 0; column <= lastColumn; ++column) {
            LONG at[2] = {dimensions == 1 ? column : row, column};
            VARIANT cell;
            VariantInit(&cell);
            SafeArrayGetElement(cells, at, &cell);
            rows[row].push_back(cell.vt == VT_BSTR ? cell.bstrVal : L"<not text>");
            VariantClear(&cell);
        }
    }
    return rows;
}

// The importer's duplicate check reads a folder in one pass; the table must
// list every contact the folder holds, preloaded or stored since, with
// Outlook's properties as the cards give them.
TEST_F(OutlookStandInTest, FolderTableListsWhatAFolderHolds) {
    const std::wstring preload = folder + L"\\preload.vcf";
    writeFile(preload,
              "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Lovelace;Ada\r\nTEL;CELL:+44 1\r\n"
              "TEL;WORK;VOICE:+44 2\r\nEMAIL;INTERNET:ada@example.org\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nFN:Grace Hopper\r\nTEL;TYPE=HOME,VOICE:555-1\r\n"
              "TEL;TYPE=home:555-2\r\nTEL:555-3\r\nEMAIL:g1@x.org\r\nEMAIL:g2@x.org\r\n"
              "EMAIL:g3@x.org\r\nEMAIL:g4@x.org\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nFN:Alan Turing\r\nTEL;TYPE=\"cell,voice\":07\r\nEND:VCARD\r\n");
    setStandIn(L"PreloadFile", preload);
    ComPtr<IDispatch> session = getObject(application.Get(), L"Session");
    ComPtr<IDispatch> item =
        getObject(session.Get(), L"OpenSharedItem", {textArgument(contactFile(L"d.vcf", "Dan"))});
    getObject(item.Get(), L"Save");
    Call stamp;
    invoke(item.Get(), L"LastModificationTime", {}, stamp);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    double today = 0;
    SystemTimeToVariantTime(&now, &today);
    EXPECT_EQ(stamp.value.vt, VT_DATE);
    EXPECT_NEAR(stamp.value.date, today, 1.0 / (24 * 60)) << "stamped at Save, in local time";

    ComPtr<IDispatch> contacts = getObject(session.Get(), L"GetDefaultFolder", {shortArgument(10)});
    ComPtr<IDispatch> table =
        getObject(contacts.Get(), L"GetTable",
                  {textArgument(L"[MessageClass] = 'IPM.Contact'"), longArgument(0)});
    ComPtr<IDispatch> columns = getObject(table.Get(), L"Columns");
    getObject(columns.Get(), L"RemoveAll");
    for (const wchar_t* name :
         {L"FullName", L"Email1Address", L"Email2Address", L"Email3Address",
          L"BusinessTelephoneNumber", L"HomeTelephoneNumber", L"MobileTelephoneNumber",
          L"Home2TelephoneNumber", L"OtherTelephoneNumber"})
        getObject(columns.Get(), L"Add", {textArgument(name)});
    Call unknown;
    invoke(columns.Get(), L"Add", {textArgument(L"NoSuchProperty")}, unknown);
    EXPECT_EQ(unknown.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(count(columns.Get()), 9);
    const Cells expected = {
        {L"Ada Lovelace", L"ada@example.org", L"", L"", L"+44 2", L"", L"+44 1", L"", L""},
        {L"Grace Hopper", L"g1@x.org", L"g2@x.org", L"g3@x.org", L"", L"555-1", L"", L"555-2",
         L"555-3"},
        {L"Alan Turing", L"", L"", L"", L"", L"", L"07", L"", L""},
        {L"Dan", L"", L"", L"", L"", L"", L"", L"", L""}};

    Cells blocks;
    for (std::size_t block : {3u, 1u}) {
        Call array;
        invoke(table.Get(), L"GetArray", {longArgument(3)}, array);
        const Cells cells = cellsOf(array.value);
        EXPECT_EQ(cells.size(), block);
        blocks.insert(blocks.end(), cells.begin(), cells.end());
    }
    Call past;
    invoke(table.Get(), L"GetArray", {longArgument(3)}, past);
    EXPECT_EQ(past.value.vt, VT_EMPTY) << "no rows left";
    EXPECT_EQ(blocks, expected);

    getObject(table.Get(), L"MoveToStart");
    Cells rows;
    for (;;) {
        Call end;
        invoke(table.Get(), L"EndOfTable", {}, end);
        if (end.value.vt != VT_BOOL || end.value.boolVal || rows.size() > expected.size())
            break;
        ComPtr<IDispatch> row = getObject(table.Get(), L"GetNextRow");
        Call values;
        invoke(row.Get(), L"GetValues", {}, values);
        rows.push_back(cellsOf(values.value).at(0));
        Call byNumber;
        invoke(row.Get(), L"Item", {longArgument(7)}, byNumber);
        EXPECT_EQ(byNumber.value.vt == VT_BSTR ? byNumber.value.bstrVal : L"?", rows.back()[6]);
    }
    EXPECT_EQ(rows, expected);
}

// Taking an import back: a stored contact is found by its IDs, and its
// Delete takes it out of its folder into Deleted Items, where it is still
// found; an unknown ID is Outlook's "not found". What StoreFile keeps is
// there again when the mailbox is opened anew.
TEST_F(OutlookStandInTest, StoredContactsAreFoundAndTakenBack) {
    ComPtr<IDispatch> session = getObject(application.Get(), L"Session");
    ComPtr<IDispatch> contacts = getObject(session.Get(), L"GetDefaultFolder", {shortArgument(10)});
    Call storeId;
    invoke(contacts.Get(), L"StoreID", {}, storeId);
    const std::wstring file = contactFile(L"a.vcf");
    ComPtr<IDispatch> item = getObject(session.Get(), L"OpenSharedItem", {textArgument(file)});
    getObject(item.Get(), L"Save");
    Call entryId;
    invoke(item.Get(), L"EntryID", {}, entryId);
    const std::wstring id = entryId.value.bstrVal;

    setStandIn(L"StoreFile", folder + L"\\other.txt");
    Call elsewhere;
    invoke(session.Get(), L"GetItemFromID", {textArgument(id)}, elsewhere);
    EXPECT_EQ(elsewhere.scode, static_cast<HRESULT>(0x8004010F)) << "another mailbox";
    setStandIn(L"StoreFile", folder + L"\\mailbox.txt");

    ComPtr<IDispatch> found = getObject(session.Get(), L"GetItemFromID",
                                        {textArgument(id), textArgument(storeId.value.bstrVal)});
    Call name;
    invoke(found.Get(), L"FullName", {}, name);
    EXPECT_EQ(std::wstring(name.value.bstrVal), L"Ada");

    const auto rowsIn = [&](IDispatch* folderObject) {
        Call rows;
        invoke(getObject(folderObject, L"GetTable").Get(), L"GetRowCount", {}, rows);
        return rows.value.lVal;
    };
    EXPECT_EQ(rowsIn(contacts.Get()), 1);
    getObject(found.Get(), L"Delete");
    EXPECT_EQ(rowsIn(contacts.Get()), 0);
    EXPECT_TRUE(contains(log(), "Delete " + toUtf8(id) + " " + toUtf8(file)));
    ComPtr<IDispatch> deleted = getObject(session.Get(), L"GetItemFromID", {textArgument(id)});
    EXPECT_NE(deleted, nullptr) << "still there, in Deleted Items";

    Call gone;
    invoke(session.Get(), L"GetItemFromID", {textArgument(L"00000000DEAD")}, gone);
    EXPECT_EQ(gone.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(gone.scode, static_cast<HRESULT>(0x8004010F));
    EXPECT_EQ(gone.description, L"The operation failed. An object could not be found.");
}

// Each way reading a folder or taking an item back fails, by switch or at
// random, and a filter the stand-in cannot read.
TEST_F(OutlookStandInTest, TableAndTakingBackFailures) {
    ComPtr<IDispatch> session = getObject(application.Get(), L"Session");
    ComPtr<IDispatch> contacts = getObject(session.Get(), L"GetDefaultFolder", {shortArgument(10)});
    ComPtr<IDispatch> item =
        getObject(session.Get(), L"OpenSharedItem", {textArgument(contactFile(L"a.vcf"))});
    getObject(item.Get(), L"Save");
    Call entryId;
    invoke(item.Get(), L"EntryID", {}, entryId);
    const std::wstring id = entryId.value.bstrVal;

    struct Case {
        const wchar_t* switchName;
        IDispatch* object;
        const wchar_t* member;
        std::wstring argument;
        std::wstring description;
    };
    const Case cases[] = {
        {L"FailGetTable", contacts.Get(), L"GetTable", L"", L"The operation failed."},
        {L"FaultPercent", contacts.Get(), L"GetTable", L"", L"The operation failed."},
        {L"FailGetItemFromID", session.Get(), L"GetItemFromID", id, L"The operation failed."},
        {L"FailDelete", item.Get(), L"Delete", L"", L"Cannot delete this item."},
        {nullptr, contacts.Get(), L"GetTable", L"[FullName] = 'Ada'",
         L"Cannot parse condition. Error at \"[FullName] = 'Ada'\"."}};
    setStandIn(L"FaultSeed", 7);
    for (const Case& fault : cases) {
        const std::string label = toUtf8(fault.switchName ? fault.switchName : fault.member);
        if (fault.switchName)
            setStandIn(fault.switchName, label == "FaultPercent" ? 100 : 1);
        Call call;
        std::vector<VARIANT> arguments;
        if (!fault.argument.empty())
            arguments.push_back(textArgument(fault.argument));
        invoke(fault.object, fault.member, arguments, call);
        if (fault.switchName)
            clearStandIn(fault.switchName);
        EXPECT_EQ(call.hr, DISP_E_EXCEPTION) << label;
        EXPECT_EQ(call.description, fault.description) << label;
        EXPECT_NE(call.scode, static_cast<HRESULT>(0x8004010F)) << "not a missing item";
    }
    getObject(session.Get(), L"GetItemFromID", {textArgument(id)});
}

using Properties = std::map<std::wstring, std::wstring>;

// `base` with `changes` made: an empty value takes the property out.
Properties changed(Properties base, const Properties& changes) {
    for (const auto& [name, value] : changes)
        if (value.empty())
            base.erase(name);
        else
            base[name] = value;
    return base;
}

// Where Outlook files a card's values, as documented and as an Outlook that
// keeps more or less of a card does: each value in one place, nothing made up.
TEST_F(OutlookStandInTest, CardsLandInOutlooksPropertiesAsTheKeepsSwitchSays) {
    const std::wstring ann = contactFile(L"ann.vcf");
    writeFile(ann,
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Lee\r\nORG:Acme\\, Inc.;Sales\r\n"
              "TITLE:Boss\r\nNICKNAME:Annie\r\nCATEGORIES:Friends,Work\r\n"
              "EMAIL;TYPE=INTERNET:a1@x.org\r\nEMAIL;TYPE=im:ann@im\r\nEMAIL:a2@x.org\r\n"
              "EMAIL:a3@x.org\r\nEMAIL:a4@x.org\r\nTEL;TYPE=HOME:h1\r\n"
              "TEL;TYPE=HOME,VOICE:h2\r\nTEL;TYPE=home:h3\r\nTEL;TYPE=WORK,PREF:w1\r\n"
              "TEL;TYPE=CELL,PREF:c1\r\nTEL;TYPE=FAX:f1\r\nTEL;HOME;FAX:f2\r\n"
              "TEL;PAGER:p1\r\nTEL;TYPE=PREF:pr\r\nTEL:u1\r\nTEL;TYPE=VOICE:u2\r\n"
              "TEL;TYPE=PCS:pcs\r\nURL:http://one\r\nURL:http://two\r\nURL:http://three\r\n"
              "ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701;USA\r\nADR:;;2 Side St;Town;;;\r\n"
              "NOTE:One\\nTwo\r\nBDAY:1980-04-15T10:00:00Z\r\nX-MS-ANNIVERSARY:20050610\r\n"
              "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRg==\r\nEND:VCARD\r\n");
    const std::wstring bo = contactFile(L"bo.vcf");
    writeFile(bo, "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Bo\r\nBDAY:--0415\r\n"
                  "PHOTO:data:image/png;base64,iVBORw0KGgoAAAA=\r\nX-MS-IMADDRESS:bo@im\r\n"
                  "IMPP:xmpp:bo@x\r\nURL;TYPE=WORK:http://w\r\nTEL;TYPE=PCS:9\r\nEND:VCARD\r\n");
    const Properties annAsDocumented = {
        {L"FullName", L"Ann Lee"},
        {L"CompanyName", L"Acme, Inc."},
        {L"JobTitle", L"Boss"},
        {L"Email1Address", L"a1@x.org"},
        {L"Email2Address", L"a2@x.org"},
        {L"Email3Address", L"a3@x.org"},
        {L"IMAddress", L"ann@im"},
        {L"HomeTelephoneNumber", L"h1"},
        {L"Home2TelephoneNumber", L"h2"},
        {L"BusinessTelephoneNumber", L"w1"},
        {L"MobileTelephoneNumber", L"c1"},
        {L"BusinessFaxNumber", L"f1"},
        {L"HomeFaxNumber", L"f2"},
        {L"PagerNumber", L"p1"},
        {L"PrimaryTelephoneNumber", L"pr"},
        {L"OtherTelephoneNumber", L"u1"},
        {L"PersonalHomePage", L"http://one"},
        {L"BusinessHomePage", L"http://two"},
        {L"WebPage", L"http://two"},
        {L"BusinessAddress", L"1 Main St\r\nSpringfield IL 62701\r\nUSA"},
        {L"OtherAddress", L"2 Side St\r\nTown"},
        {L"Body", L"One\r\nTwo"},
        {L"Birthday", L"1980-04-15"},
        {L"Anniversary", L"2005-06-10"},
        {L"HasPicture", L"true"}};
    const Properties boAsDocumented = {{L"FullName", L"Bo"},
                                       {L"IMAddress", L"bo@im"},
                                       {L"BusinessHomePage", L"http://w"},
                                       {L"WebPage", L"http://w"}};
    struct Case {
        const wchar_t* keeps;
        const std::wstring& file;
        Properties expected;
    };
    const Case cases[] = {
        {L"", ann, annAsDocumented},
        {L"", bo, boAsDocumented},
        {L"more", ann,
         changed(annAsDocumented, {{L"NickName", L"Annie"},
                                   {L"Categories", L"Friends, Work"},
                                   {L"CallbackTelephoneNumber", L"h3"},
                                   {L"RadioTelephoneNumber", L"u2"},
                                   {L"AssistantTelephoneNumber", L"pcs"}})},
        {L"more", bo,
         changed(boAsDocumented, {{L"HasPicture", L"true"}, {L"OtherTelephoneNumber", L"9"}})},
        {L"less", ann, changed(annAsDocumented, {{L"OtherTelephoneNumber", L""}})},
        {L"less", bo, boAsDocumented}};
    const std::wstring contactsFile = folder + L"\\contacts.txt";
    setStandIn(L"ContactsFile", contactsFile);
    ComPtr<IDispatch> session = getObject(application.Get(), L"Session");
    for (const Case& c : cases) {
        setStandIn(L"Keeps", std::wstring(c.keeps));
        getObject(getObject(session.Get(), L"OpenSharedItem", {textArgument(c.file)}).Get(),
                  L"Save");
        const auto saved = savedProperties(contactsFile);
        ASSERT_FALSE(saved.empty());
        EXPECT_EQ(saved.back().path, c.file);
        EXPECT_EQ(saved.back().properties, c.expected) << toUtf8(c.keeps) << toUtf8(c.file);
    }
}

// What the importer writes is read back and stored, through a restart too;
// reading addresses or notes meets Outlook's security prompt, writing them
// does not.
TEST_F(OutlookStandInTest, PropertiesAreWrittenReadBackAndGuarded) {
    const std::wstring contactsFile = folder + L"\\contacts.txt";
    setStandIn(L"ContactsFile", contactsFile);
    const std::wstring file = contactFile(L"a.vcf");
    writeFile(file, "BEGIN:VCARD\r\nFN:Ada\r\nEMAIL:ada@x.org\r\nEND:VCARD\r\n");
    const std::string path = toUtf8(file);
    ComPtr<IDispatch> session = getObject(application.Get(), L"Session");
    ComPtr<IDispatch> item = getObject(session.Get(), L"OpenSharedItem", {textArgument(file)});
    constexpr double April15th1980 = 29326.0;
    EXPECT_EQ(put(item.Get(), L"JobTitle", textArgument(L"Chief\tof\\staff")), S_OK);
    EXPECT_EQ(put(item.Get(), L"Birthday",
                  argumentOf(VT_DATE, [](VARIANT& date) { date.date = April15th1980; })),
              S_OK);
    EXPECT_EQ(put(item.Get(), L"HasPicture", shortArgument(1)), DISP_E_MEMBERNOTFOUND);
    Call title;
    invoke(item.Get(), L"jobTitle", {}, title);
    EXPECT_EQ(std::wstring(title.value.bstrVal), L"Chief\tof\\staff");

    const std::wstring picture = folder + L"\\face.png";
    writeFile(picture, std::string("\x89PNG\r\n\x1A\n", 8) + "rest of it");
    writeFile(folder + L"\\face.txt", "no picture");
    for (const wchar_t* notPicture : {L"\\missing.png", L"\\face.txt"}) {
        Call refused;
        invoke(item.Get(), L"AddPicture", {textArgument(folder + notPicture)}, refused);
        EXPECT_EQ(refused.hr, DISP_E_EXCEPTION) << toUtf8(notPicture);
    }
    getObject(item.Get(), L"AddPicture", {textArgument(picture)});
    getObject(item.Get(), L"Save");
    EXPECT_EQ(savedProperties(contactsFile).at(0).properties,
              (Properties{{L"FullName", L"Ada"},
                          {L"Email1Address", L"ada@x.org"},
                          {L"JobTitle", L"Chief\tof\\staff"},
                          {L"Birthday", L"1980-04-15"},
                          {L"HasPicture", L"true"}}));
    EXPECT_TRUE(inOrder(log(), {"put JobTitle " + path, "put Birthday " + path,
                                "get JobTitle " + path, "AddPicture " + path, "Save " + path}));

    // Another mailbox and back: the journal is read anew.
    Call entryId;
    invoke(item.Get(), L"EntryID", {}, entryId);
    const std::wstring id = entryId.value.bstrVal;
    setStandIn(L"StoreFile", folder + L"\\other.txt");
    Call elsewhere;
    invoke(session.Get(), L"GetItemFromID", {textArgument(id)}, elsewhere);
    setStandIn(L"StoreFile", folder + L"\\mailbox.txt");
    ComPtr<IDispatch> found = getObject(session.Get(), L"GetItemFromID", {textArgument(id)});
    Call again;
    invoke(found.Get(), L"JobTitle", {}, again);
    EXPECT_EQ(std::wstring(again.value.bstrVal), L"Chief\tof\\staff");
    Call birthday;
    invoke(found.Get(), L"Birthday", {}, birthday);
    EXPECT_EQ(birthday.value.vt, VT_DATE);
    EXPECT_EQ(birthday.value.date, April15th1980);

    setStandIn(L"AddressPrompt", std::wstring(L"refuse"));
    Call refused;
    invoke(found.Get(), L"Email1Address", {}, refused);
    EXPECT_EQ(refused.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(refused.scode, E_ABORT);
    EXPECT_EQ(refused.description, L"Operation aborted");
    EXPECT_EQ(put(found.Get(), L"Email1Address", textArgument(L"new@x.org")), S_OK);
    ComPtr<IDispatch> contacts = getObject(session.Get(), L"GetDefaultFolder", {shortArgument(10)});
    ComPtr<IDispatch> table = getObject(contacts.Get(), L"GetTable");
    getObject(getObject(table.Get(), L"Columns").Get(), L"Add", {textArgument(L"Body")});
    Call rows;
    invoke(table.Get(), L"GetArray", {longArgument(5)}, rows);
    EXPECT_EQ(rows.scode, E_ABORT) << "a guarded column";

    setStandIn(L"AddressPrompt", std::wstring(L"allow"));
    for (int read = 0; read < 2; ++read) {
        Call allowed;
        invoke(found.Get(), L"Email1Address", {}, allowed);
        EXPECT_EQ(allowed.hr, S_OK);
        EXPECT_EQ(std::wstring(allowed.value.bstrVal), L"new@x.org");
    }
    const auto lines = log();
    const auto prompts = std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.starts_with("prompt ");
    });
    EXPECT_EQ(prompts, 3) << "each refusal, and the one Allow of the run";
}

// A path is walked as the importer walks it, from the default data file's
// top or from the data file a whole path names, one name at a time: what is
// found follows a folder made, deleted into Deleted Items with its contact,
// and deleted from there for good.
TEST_F(OutlookStandInTest, FoldersAreFoundByPathMadeAndDeleted) {
    setStandIn(L"Folders", std::wstring(L"Contacts\\Friends;Archive\\Contacts\\Work"));
    ComPtr<IDispatch> session = getObject(application.Get(), L"Session");
    ComPtr<IDispatch> contacts = getObject(session.Get(), L"GetDefaultFolder", {shortArgument(10)});
    const auto text = [](IDispatch* object, const wchar_t* name) {
        Call call;
        invoke(object, name, {}, call);
        return call.value.vt == VT_BSTR ? std::wstring(call.value.bstrVal) : L"<none>";
    };
    // The FolderPath found; empty when a name is not there.
    const auto walk = [&](const std::wstring& path) {
        const bool whole = path.starts_with(L"\\\\");
        ComPtr<IDispatch> below =
            whole ? getObject(session.Get(), L"Folders")
                  : getObject(getObject(contacts.Get(), L"Parent").Get(), L"Folders");
        ComPtr<IDispatch> found;
        std::wstringstream names(path.substr(whole ? 2 : 0));
        for (std::wstring name; std::getline(names, name, L'\\');) {
            Call item;
            invoke(below.Get(), L"Item", {textArgument(name)}, item);
            if (item.hr != S_OK) {
                EXPECT_EQ(item.scode, static_cast<HRESULT>(0x8004010F)) << toUtf8(path);
                EXPECT_EQ(item.description,
                          L"The attempted operation failed.  An object could not be found.");
                return std::wstring();
            }
            found = item.object();
            below = getObject(found.Get(), L"Folders");
        }
        return text(found.Get(), L"FolderPath");
    };
    const std::wstring made = L"\\\\Outlook Data File\\Contacts\\Quorvane check";
    const std::wstring deleted = L"\\\\Outlook Data File\\Deleted Items\\Quorvane check";
    const std::wstring friends = L"\\\\Outlook Data File\\Contacts\\Friends";
    const std::wstring work = L"\\\\Archive\\Contacts\\Work";
    const std::wstring top = L"\\\\Outlook Data File";
    struct Case {
        std::wstring path;
        std::wstring found[3]; // once made, once deleted, once deleted for good
    };
    const Case cases[] = {
        {L"contacts\\FRIENDS", {friends, friends, friends}},
        {L"\\\\Archive\\Contacts\\Work", {work, work, work}},
        {L"\\\\Outlook Data File", {top, top, top}},
        {L"Archive\\Contacts", {}},
        {L"Contacts\\Nowhere", {}},
        {L"Contacts\\Quorvane check", {made, L"", L""}},
        {L"\\\\Outlook Data File\\Deleted Items\\Quorvane check", {L"", deleted, L""}},
    };

    ComPtr<IDispatch> below = getObject(contacts.Get(), L"Folders");
    ComPtr<IDispatch> check =
        getObject(below.Get(), L"Add", {textArgument(L"Quorvane check"), longArgument(10)});
    Call twice;
    invoke(below.Get(), L"Add", {textArgument(L"quorvane CHECK")}, twice);
    EXPECT_EQ(twice.hr, DISP_E_EXCEPTION) << "a name in use";
    EXPECT_EQ(count(below.Get()), 2);
    // Another mailbox and back: what was made is read again from the journal.
    setStandIn(L"StoreFile", folder + L"\\other.txt");
    EXPECT_EQ(walk(L"Contacts\\Quorvane check"), L"");
    setStandIn(L"StoreFile", folder + L"\\mailbox.txt");
    EXPECT_EQ(walk(L"Contacts\\Quorvane check"), made);
    ComPtr<IDispatch> item =
        getObject(session.Get(), L"OpenSharedItem", {textArgument(contactFile(L"a.vcf"))});
    ComPtr<IDispatch> moved = getObject(item.Get(), L"Move", {objectArgument(check.Get())});
    getObject(moved.Get(), L"Save");
    const std::wstring id = text(moved.Get(), L"EntryID");

    const std::wstring contactIn[] = {made, deleted, L""};
    for (int stage = 0; stage < 3; ++stage) {
        for (const Case& test : cases)
            EXPECT_EQ(walk(test.path), test.found[stage]) << toUtf8(test.path) << " " << stage;
        Call stored;
        invoke(session.Get(), L"GetItemFromID", {textArgument(id)}, stored);
        EXPECT_EQ(stored.hr == S_OK
                      ? text(getObject(stored.object().Get(), L"Parent").Get(), L"FolderPath")
                      : L"",
                  contactIn[stage]);
        if (stage == 2)
            break;
        Call kind;
        invoke(check.Get(), L"DefaultItemType", {}, kind);
        EXPECT_EQ(kind.value.lVal, 2) << "a contacts folder wherever it goes";
        getObject(check.Get(), L"Delete");
    }
    EXPECT_TRUE(inOrder(log(), {"Folders.Add Contacts\\Quorvane check",
                                "Folder.Delete Contacts\\Quorvane check",
                                "Folder.Delete Deleted Items\\Quorvane check"}));

    EXPECT_EQ(text(application.Get(), L"Version"), L"16.0.0.0");
    setStandIn(L"Version", std::wstring(L"15.0.0.4711"));
    EXPECT_EQ(text(application.Get(), L"Version"), L"15.0.0.4711");
}

} // namespace
