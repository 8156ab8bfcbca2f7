// The COM client against objects whose behaviour the tests control: a small
// in-process IDispatch for failures and busy answers, unregistered ProgIDs for
// a machine without Outlook, and the stand-in Outlook when it is available.

#include "support/standin.h"
#include "support/test_files.h"

#include "platform/win32/com_apartment.h"
#include "platform/win32/com_dispatch.h"
#include "platform/win32/com_object.h"
#include "platform/win32/message_filter.h"
#include "platform/win32/outlook_com.h"
#include "platform/win32/outlook_session_com.h"
#include "platform/win32/scoped_handles.h"
#include "platform/win32/shell_launcher_win32.h"
#include "platform/win32/wide_text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace quorvane::win32 {
namespace {

using Microsoft::WRL::ComPtr;
using namespace std::chrono_literals;

std::string textOf(HRESULT code) {
    return systemMessage(static_cast<unsigned long>(code));
}

HRESULT STDMETHODCALLTYPE fillInDescription(EXCEPINFO* info) {
    info->bstrDescription = SysAllocString(L"Described only when asked.");
    return S_OK;
}

// An automation object with a few members that misbehave on purpose.
class FakeServer final : public ComObject<IDispatch> {
public:
    enum Member : DISPID { Value = 1, Raise, RaiseDeferred, RaiseCodeOnly, Item, Nothing, Save };

    HRESULT busyAnswer = RPC_E_SERVERCALL_RETRYLATER;
    int busyAnswersLeft = 0;
    int invokeCount = 0;
    WORD lastFlags = 0;
    std::vector<VARIANT> lastArguments; // in written order, shallow copies of integers

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        static const std::pair<const wchar_t*, DISPID> members[] = {
            {L"Value", Value},
            {L"Raise", Raise},
            {L"RaiseDeferred", RaiseDeferred},
            {L"RaiseCodeOnly", RaiseCodeOnly},
            {L"Item", Item},
            {L"Nothing", Nothing},
            {L"Save", Save}};
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            for (const auto& [name, id] : members)
                if (lstrcmpiW(names[i], name) == 0)
                    ids[i] = id;
            if (ids[i] == DISPID_UNKNOWN)
                return DISP_E_UNKNOWNNAME;
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT*) override {
        ++invokeCount;
        if (busyAnswersLeft > 0) {
            --busyAnswersLeft;
            return busyAnswer;
        }
        lastFlags = flags;
        lastArguments.assign(params->rgvarg, params->rgvarg + params->cArgs);
        std::reverse(lastArguments.begin(), lastArguments.end());
        switch (id) {
        case Value:
            result->vt = VT_I4;
            result->lVal = 42;
            return S_OK;
        case Raise:
            exception->bstrSource = SysAllocString(L"Outlook");
            exception->bstrDescription =
                SysAllocString(L"Le contact « Zoë » n'a pas pu être enregistré.");
            exception->scode = E_FAIL;
            return DISP_E_EXCEPTION;
        case RaiseDeferred:
            exception->pfnDeferredFillIn = fillInDescription;
            exception->scode = E_FAIL;
            return DISP_E_EXCEPTION;
        case RaiseCodeOnly:
            exception->scode = E_ACCESSDENIED;
            return DISP_E_EXCEPTION;
        case Item:
            result->vt = VT_DISPATCH;
            result->pdispVal = makeComObject<FakeServer>().Detach();
            return S_OK;
        case Nothing:
            result->vt = VT_DISPATCH;
            result->pdispVal = nullptr;
            return S_OK;
        default:
            return S_OK;
        }
    }
};

class DispatchTest : public testing::Test {
protected:
    ComApartment apartment;
    ComPtr<FakeServer> server = makeComObject<FakeServer>();
    DispatchObject object{server};
};

TEST_F(DispatchTest, FailuresCarryTheServersWordsOrTheSystemsText) {
    const auto unknown = object.getProperty("NoSuchMember");
    ASSERT_FALSE(unknown);
    EXPECT_EQ(unknown.failure().description, textOf(DISP_E_UNKNOWNNAME));
    EXPECT_EQ(server->invokeCount, 0);

    const auto raised = object.call("Raise");
    ASSERT_FALSE(raised);
    EXPECT_EQ(raised.failure().description, "Le contact « Zoë » n'a pas pu être enregistré.");

    const auto deferred = object.call("RaiseDeferred");
    ASSERT_FALSE(deferred);
    EXPECT_EQ(deferred.failure().description, "Described only when asked.");

    const auto codeOnly = object.call("RaiseCodeOnly");
    ASSERT_FALSE(codeOnly);
    EXPECT_EQ(codeOnly.failure().description, textOf(E_ACCESSDENIED));
}

TEST_F(DispatchTest, ArgumentsArriveInWrittenOrderAsIntegersWithVisualBasicFlags) {
    auto item = object.callObject("Item", std::int16_t{7}, std::int16_t{-2});
    ASSERT_TRUE(item) << item.failure().description;
    ASSERT_EQ(server->lastArguments.size(), 2u);
    EXPECT_EQ(server->lastArguments[0].vt, VT_I2);
    EXPECT_EQ(server->lastArguments[0].iVal, 7);
    EXPECT_EQ(server->lastArguments[1].vt, VT_I2);
    EXPECT_EQ(server->lastArguments[1].iVal, -2);
    EXPECT_EQ(server->lastFlags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);

    // The returned object is a working object of its own.
    auto value = item->getInt32("Value");
    ASSERT_TRUE(value) << value.failure().description;
    EXPECT_EQ(*value, 42);

    ASSERT_TRUE(object.getInt32("Value"));
    EXPECT_EQ(server->lastFlags, DISPATCH_PROPERTYGET);
    ASSERT_TRUE(object.call("Save"));
    EXPECT_EQ(server->lastFlags, DISPATCH_METHOD);
    EXPECT_TRUE(server->lastArguments.empty());
}

TEST_F(DispatchTest, ResultsOfTheWrongKindFailInsteadOfCrashing) {
    const auto number = object.getObject("Value");
    ASSERT_FALSE(number);
    EXPECT_EQ(number.failure().description, textOf(DISP_E_TYPEMISMATCH));

    const auto nothing = object.getObject("Nothing");
    ASSERT_FALSE(nothing);
    EXPECT_EQ(nothing.failure().description, textOf(E_POINTER));

    const auto notANumber = object.getInt32("Nothing");
    EXPECT_FALSE(notANumber);

    EXPECT_FALSE(DispatchObject().getProperty("Value"));
}

class BusyServerTest : public DispatchTest, public testing::WithParamInterface<HRESULT> {};

TEST_P(BusyServerTest, RejectedCallsAreRetriedUntilAccepted) {
    server->busyAnswer = GetParam();
    server->busyAnswersLeft = 2;
    auto value = object.getInt32("Value");
    ASSERT_TRUE(value) << value.failure().description;
    EXPECT_EQ(*value, 42);
    EXPECT_EQ(server->invokeCount, 3);
}

TEST_P(BusyServerTest, RetriesStopWhenTheWindowCloses) {
    server->busyAnswer = GetParam();
    server->busyAnswersLeft = 1'000'000;
    const DispatchObject impatient(server, 400ms);

    const auto started = std::chrono::steady_clock::now();
    const auto value = impatient.getProperty("Value");
    const auto elapsed = std::chrono::steady_clock::now() - started;

    ASSERT_FALSE(value);
    EXPECT_EQ(value.failure().description, textOf(GetParam()));
    EXPECT_GE(elapsed, 400ms);
    EXPECT_LT(elapsed, 2s);
    EXPECT_GE(server->invokeCount, 2);
}

INSTANTIATE_TEST_SUITE_P(BothBusyAnswers, BusyServerTest,
                         testing::Values(RPC_E_SERVERCALL_RETRYLATER, RPC_E_CALL_REJECTED));

TEST(MessageFilter, RetriesBusyRejectionsUntilTheWindowCloses) {
    const ComPtr<IMessageFilter> filter = makeBusyRetryFilter(30s);
    for (const DWORD rejection : {DWORD{SERVERCALL_RETRYLATER}, DWORD{SERVERCALL_REJECTED}}) {
        for (const DWORD elapsed : {0ul, 29'999ul}) {
            const DWORD pause = filter->RetryRejectedCall(nullptr, elapsed, rejection);
            EXPECT_GE(pause, 100u) << elapsed;
            EXPECT_LE(pause, 250u) << elapsed;
        }
        EXPECT_EQ(filter->RetryRejectedCall(nullptr, 30'000, rejection), static_cast<DWORD>(-1));
    }
}

// Stands for whatever filter the thread had before ours.
class OtherFilter final : public ComObject<IMessageFilter> {
public:
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override {
        return static_cast<DWORD>(-1);
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
        return PENDINGMSG_WAITDEFPROCESS;
    }
};

TEST(MessageFilter, RegistrationPutsBackThePreviousFilter) {
    ComApartment apartment;
    const ComPtr<OtherFilter> other = makeComObject<OtherFilter>();
    // Registering hands back the filter it replaces, with the reference COM held.
    ComPtr<IMessageFilter> original;
    ASSERT_EQ(CoRegisterMessageFilter(other.Get(), &original), S_OK);
    {
        auto scoped = ScopedMessageFilter::install();
        ASSERT_TRUE(scoped) << scoped.failure().description;
        ScopedMessageFilter moved = std::move(*scoped);
    }
    ComPtr<IMessageFilter> current;
    ASSERT_EQ(CoRegisterMessageFilter(original.Get(), &current), S_OK);
    EXPECT_EQ(current.Get(), other.Get());
}

TEST(MessageFilter, RegistrationOutsideAUiThreadFails) {
    std::string description;
    std::thread worker([&] {
        ComApartment multithreaded(ComApartment::Kind::MultiThreaded);
        auto scoped = ScopedMessageFilter::install();
        description = scoped ? "installed" : scoped.failure().description;
    });
    worker.join();
    EXPECT_EQ(description, textOf(CO_E_NOT_SUPPORTED));
}

// A server apartment that turns the first few incoming calls away as busy,
// the way Outlook does while a dialog of its own is up. Windows hands the
// refusal to the caller's message filter; Wine 8 returns RPC_E_CALL_REJECTED
// straight from the call (and lets a "retry later" call through), which the
// dispatch helper's own retry covers.
class BusyApartment {
public:
    BusyApartment(DWORD answer, int rejections)
        : filter_(makeComObject<RejectingFilter>(answer, rejections)) {
        thread_ = std::thread([this] { serve(); });
        WaitForSingleObject(ready_.get(), INFINITE);
    }
    BusyApartment(const BusyApartment&) = delete;
    BusyApartment& operator=(const BusyApartment&) = delete;
    ~BusyApartment() {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }

    // A proxy for the server's object, for the calling apartment.
    ComPtr<IDispatch> connect() {
        ComPtr<IDispatch> proxy;
        CoGetInterfaceAndReleaseStream(stream_, IID_PPV_ARGS(&proxy));
        stream_ = nullptr;
        return proxy;
    }

private:
    class RejectingFilter final : public ComObject<IMessageFilter> {
    public:
        RejectingFilter(DWORD answer, int rejections)
            : answer(answer), rejectionsLeft(rejections) {}
        const DWORD answer;
        std::atomic<int> rejectionsLeft;

        DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
            return rejectionsLeft-- > 0 ? answer : DWORD{SERVERCALL_ISHANDLED};
        }
        DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override {
            return static_cast<DWORD>(-1);
        }
        DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
            return PENDINGMSG_WAITDEFPROCESS;
        }
    };

    void serve() {
        ComApartment apartment;
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); // creates the queue
        threadId_ = GetCurrentThreadId();
        ComPtr<IMessageFilter> previous;
        CoRegisterMessageFilter(filter_.Get(), &previous);
        {
            const ComPtr<FakeServer> server = makeComObject<FakeServer>();
            CoMarshalInterThreadInterfaceInStream(IID_IDispatch, server.Get(), &stream_);
            SetEvent(ready_.get());
            while (GetMessageW(&message, nullptr, 0, 0) > 0)
                DispatchMessageW(&message);
        }
        CoRegisterMessageFilter(previous.Get(), nullptr);
    }

    const ComPtr<RejectingFilter> filter_;
    const ScopedHandle ready_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    IStream* stream_ = nullptr;
    DWORD threadId_ = 0;
    std::thread thread_;
};

class BusyApartmentTest : public testing::TestWithParam<DWORD> {};

TEST_P(BusyApartmentTest, CallsTheServerRejectsGoThroughOnceItIsFree) {
    ComApartment apartment;
    auto filter = ScopedMessageFilter::install();
    ASSERT_TRUE(filter) << filter.failure().description;
    BusyApartment busy(GetParam(), 3);
    const DispatchObject object(busy.connect());
    ASSERT_NE(object.get(), nullptr);

    auto value = object.getInt32("Value");
    ASSERT_TRUE(value) << value.failure().description;
    EXPECT_EQ(*value, 42);
}

INSTANTIATE_TEST_SUITE_P(BothServerAnswers, BusyApartmentTest,
                         testing::Values(DWORD{SERVERCALL_RETRYLATER}, DWORD{SERVERCALL_REJECTED}));

TEST(OutlookAutomation, MissingServerFailsWithTheSystemsText) {
    ComApartment apartment;
    ComOutlookAutomation automation("Quorvane.NoSuchApplication");
    const auto started = std::chrono::steady_clock::now();
    const auto application = automation.createApplication();
    ASSERT_FALSE(application);
    EXPECT_EQ(application.failure().description, textOf(CO_E_CLASSSTRING));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
}

bool waitFor(const std::filesystem::path& file, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!std::filesystem::exists(file)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        Sleep(50);
    }
    return true;
}

TEST(ShellLauncher, StartsTheProgramWithParametersAndFolderUnchanged) {
    const std::filesystem::path folder = test::tempFolder(L"shell-Zoë");
    Win32ShellLauncher launcher;
    const auto launched =
        launcher.launch({NativeWindow::None, "cmd.exe", "/c type nul > \"créé ü.txt\"",
                         toUtf8(folder.wstring()), ShowCommand::Normal});
    ASSERT_TRUE(launched) << launched.failure().description;
    EXPECT_TRUE(waitFor(folder / L"créé ü.txt", 10s));
    test::removeTree(folder.wstring());
}

TEST(ShellLauncher, MissingProgramFailsWithTheSystemsText) {
    Win32ShellLauncher launcher;
    const auto launched = launcher.launch({NativeWindow::None, "quorvane-no-such-program",
                                           "/v \"C:\\a.vcf\"", "C:\\", ShowCommand::Normal});
    ASSERT_FALSE(launched);
    EXPECT_EQ(launched.failure().description, systemMessage(ERROR_FILE_NOT_FOUND));
}

// The whole cycle for one file against the stand-in Outlook, when the run
// provides it. Its settings live under HKCU so the server COM starts reads them.
class StandInTest : public testing::Test {
protected:
    void SetUp() override {
        // The test run registers the stand-in; a broken registration fails here.
        ASSERT_FALSE(test::standInProgram().empty())
            << "QUORVANE_STANDIN_EXE does not name the stand-in";
        CLSID classId{};
        ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(L"Outlook.Application", &classId))
            << "the stand-in is not registered as Outlook.Application";
        work = test::tempFolder(L"standin-com");
        test::setStandIn(L"SavedFile", (work / L"saved.txt").wstring());
        test::setStandIn(L"LogFile", (work / L"standin.log").wstring());
        test::setStandIn(L"BusyMs", 500);
    }
    // Only this test's own settings go; the stand-in's other tests keep theirs.
    ~StandInTest() override {
        contacts.reset(); // let go of the stand-in's objects while it still logs
        session.reset();
        for (const wchar_t* name :
             {L"SavedFile", L"LogFile", L"BusyMs", L"PickFolder", L"VanishAtSave", L"PreloadFile",
              L"FailGetTable", L"FailGetItemFromID"})
            test::clearStandIn(name);
        if (!work.empty())
            test::removeTree(work.wstring());
    }

    static bool waitForCount(OutlookInspectors& inspectors, std::int32_t wanted) {
        const auto deadline = std::chrono::steady_clock::now() + 15s;
        while (std::chrono::steady_clock::now() < deadline) {
            auto count = inspectors.count();
            if (count && *count == wanted)
                return true;
            waitKeepingWindowsPainted(20ms);
        }
        return false;
    }

    // A session on the stand-in and its default Contacts folder; a test that
    // reaches neither stops here.
    void reachContacts() {
        SessionOutcome reached = automation.createSession();
        ASSERT_TRUE(reached.session) << reached.session.failure().description;
        session = std::move(*reached.session);
        auto folder = session->defaultContactsFolder();
        ASSERT_TRUE(folder) << folder.failure().description;
        contacts = std::move(*folder);
    }

    ComApartment apartment;
    std::filesystem::path work;
    ComOutlookAutomation automation;
    std::unique_ptr<OutlookSession> session;
    std::unique_ptr<OutlookFolder> contacts;
};

TEST_F(StandInTest, OpensSavesAndClosesOneContact) {
    auto filter = ScopedMessageFilter::install();
    ASSERT_TRUE(filter) << filter.failure().description;
    const auto contact = work / L"Zoë Dupré.vcf";
    std::ofstream(contact) << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Zoe\r\nEND:VCARD\r\n";

    auto application = automation.createApplication();
    ASSERT_TRUE(application) << application.failure().description;
    auto inspectors = (*application)->inspectors();
    ASSERT_TRUE(inspectors) << inspectors.failure().description;
    ASSERT_TRUE(waitForCount(**inspectors, 0));

    Win32ShellLauncher launcher;
    const auto launched =
        launcher.launch({NativeWindow::None, "outlook", "/v \"" + toUtf8(contact.wstring()) + "\"",
                         "C:\\", ShowCommand::Maximized});
    ASSERT_TRUE(launched) << launched.failure().description;
    ASSERT_TRUE(waitForCount(**inspectors, 1));

    auto inspector = (*inspectors)->item(1);
    ASSERT_TRUE(inspector) << inspector.failure().description;
    auto item = (*inspector)->currentItem();
    ASSERT_TRUE(item) << item.failure().description;
    const auto saved = (*item)->save();
    ASSERT_TRUE(saved) << saved.failure().description;
    const auto closed = (*inspector)->close(CloseMode::Discard);
    ASSERT_TRUE(closed) << closed.failure().description;
    EXPECT_TRUE(waitForCount(**inspectors, 0));

    std::ifstream savedList(work / L"saved.txt", std::ios::binary);
    const std::string savedText{std::istreambuf_iterator<char>(savedList), {}};
    EXPECT_NE(savedText.find("Zoë Dupré.vcf"), std::string::npos) << savedText;

    // The position goes as a 16-bit Integer (VT_I2). The stand-in accepts a
    // 32-bit Long as well, so only its log tells a change of type apart.
    std::vector<std::string> itemCalls;
    for (const std::string& line : test::readUtf8Lines((work / L"standin.log").wstring()))
        if (line.starts_with("Item("))
            itemCalls.push_back(line);
    EXPECT_EQ(itemCalls, std::vector<std::string>{"Item(1) vt=" + std::to_string(VT_I2)});
}

// The session as the import without windows uses it, against the stand-in:
// every member it calls, a folder found again by its IDs, Cancel as no
// folder, and Outlook's words when a file is no contact. Calls rejected while
// the stand-in is busy after each OpenSharedItem are retried on the way.
TEST_F(StandInTest, TheSessionStoresContactsInTheDefaultFolderOrWhereTheyWereMoved) {
    auto filter = ScopedMessageFilter::install();
    ASSERT_TRUE(filter) << filter.failure().description;
    test::setStandIn(L"PickFolder", std::wstring(L"Inbox;Contacts\\Friends;Cancel"));
    const auto ann = work / L"Ann.vcf";
    std::ofstream(ann) << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Lee\r\nEND:VCARD\r\n";

    ASSERT_NO_FATAL_FAILURE(reachContacts());
    EXPECT_EQ(contacts->name().value(), "Contacts");
    EXPECT_EQ(contacts->folderPath().value(), toUtf8(test::standInFolderPath(L"Contacts")));
    EXPECT_EQ(contacts->defaultItemType().value(), OutlookItemType::Contact);
    const std::int32_t before = contacts->itemCount().value();

    auto item = session->openSharedItem(toUtf8(ann.wstring()));
    ASSERT_TRUE(item) << item.failure().description;
    EXPECT_EQ((*item)->fullName().value(), "Ann Lee");
    ASSERT_TRUE((*item)->save());
    const std::string annId = (*item)->entryId().value();
    EXPECT_FALSE(annId.empty());
    EXPECT_EQ(contacts->itemCount().value(), before + 1);

    auto inbox = session->pickFolder();
    ASSERT_TRUE(inbox && *inbox);
    EXPECT_EQ((*inbox)->defaultItemType().value(), OutlookItemType::Mail);
    auto friends = session->pickFolder();
    ASSERT_TRUE(friends && *friends);
    auto again = session->openSharedItem(toUtf8(ann.wstring()));
    ASSERT_TRUE(again);
    auto moved = (*again)->move(**friends);
    ASSERT_TRUE(moved) << moved.failure().description;
    ASSERT_TRUE((*moved)->save());
    EXPECT_NE((*moved)->entryId().value(), annId);
    auto found =
        session->folderFromId((*friends)->entryId().value(), (*friends)->storeId().value());
    ASSERT_TRUE(found) << found.failure().description;
    EXPECT_EQ((*found)->itemCount().value(), 1);
    auto cancelled = session->pickFolder();
    ASSERT_TRUE(cancelled);
    EXPECT_EQ(*cancelled, nullptr);

    const auto notes = work / L"notes.vcf";
    std::ofstream(notes) << "no card here\r\n";
    auto refused = session->openSharedItem(toUtf8(notes.wstring()));
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.failure().description.starts_with("Cannot open file: "));
    EXPECT_FALSE(refused.failure().connectionLost);

    const std::vector<std::string> saved = test::readUtf8Lines((work / L"saved.txt").wstring());
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_TRUE(saved[1].ends_with(toUtf8(test::standInFolderPath(L"Contacts\\Friends"))));
}

// An Outlook that crashes is told apart from one that refuses: the broken
// call and every later one through the same session say the connection was
// lost, and a new session reaches a fresh Outlook.
TEST_F(StandInTest, AnOutlookThatWentAwayIsToldApartAndANewSessionReachesAFreshOne) {
    test::clearStandIn(L"BusyMs");
    test::setStandIn(L"VanishAtSave", 1);
    const auto ann = work / L"Ann.vcf";
    std::ofstream(ann) << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Lee\r\nEND:VCARD\r\n";
    SessionOutcome first = automation.createSession();
    ASSERT_TRUE(first.session) << first.session.failure().description;
    auto item = (*first.session)->openSharedItem(toUtf8(ann.wstring()));
    ASSERT_TRUE(item) << item.failure().description;
    const auto saved = (*item)->save();
    ASSERT_FALSE(saved);
    EXPECT_TRUE(saved.failure().connectionLost) << saved.failure().description;
    const auto later = (*first.session)->defaultContactsFolder();
    ASSERT_FALSE(later);
    EXPECT_TRUE(later.failure().connectionLost) << later.failure().description;

    SessionOutcome second = automation.createSession();
    ASSERT_TRUE(second.session) << second.session.failure().description;
    auto next = (*second.session)->openSharedItem(toUtf8(ann.wstring()));
    ASSERT_TRUE(next) << next.failure().description;
    EXPECT_TRUE((*next)->save());
    EXPECT_EQ(test::readUtf8Lines((work / L"saved.txt").wstring()).size(), 2u);
}

// A folder's contacts come back in one pass whatever their number (more than
// two blocks of the table here), every column where it belongs; an item is
// found again by its IDs until deleted for good, the first Delete only moving
// it to Deleted Items. Outlook's refusals come back as failures, and only a
// missing item as not found.
TEST_F(StandInTest, ContactsAreListedFoundAgainByTheirIdsAndDeleted) {
    using Row = std::tuple<std::string, std::vector<std::string>, std::vector<std::string>>;
    std::vector<Row> expected;
    // The charset is named: Outlook reads a card that names none as Windows-1252.
    std::ofstream cards(work / L"preload.vcf", std::ios::binary);
    for (int i = 0; i < 1100; ++i) {
        const std::string n = std::to_string(i);
        Row& row = expected.emplace_back("Zoë " + n, std::vector<std::string>{},
                                         std::vector<std::string>{});
        cards << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN;CHARSET=UTF-8:Zoë " << n << "\r\n";
        for (int e = 0; e < i % 4; ++e) {
            std::get<1>(row).push_back("z" + n + "." + std::to_string(e) + "@example.com");
            cards << "EMAIL:" << std::get<1>(row).back() << "\r\n";
        }
        // Written mobile first: the columns, not the card, decide the order.
        const std::string mobile = "+33 6 " + n, home = "+33 1 " + n, work = "+33 9 " + n;
        cards << (i % 2 ? "TEL;TYPE=CELL:" + mobile + "\r\n" : "")
              << (i % 3 ? "TEL;TYPE=HOME:" + home + "\r\n" : "")
              << (i % 5 ? "TEL;TYPE=WORK:" + work + "\r\n" : "") << "END:VCARD\r\n";
        for (const auto& [present, phone] :
             {std::pair{i % 5, work}, {i % 3, home}, {i % 2, mobile}})
            if (present)
                std::get<2>(row).push_back(phone);
    }
    cards.close();
    test::setStandIn(L"PreloadFile", (work / L"preload.vcf").wstring());

    ASSERT_NO_FATAL_FAILURE(reachContacts());
    auto rows = contacts->readContacts();
    ASSERT_TRUE(rows) << rows.failure().description;
    std::vector<Row> listed;
    for (const StoredContactRow& row : *rows) {
        listed.emplace_back(row.fullName, row.emails, row.phones);
        EXPECT_FALSE(row.entryId.empty());
    }
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);

    const std::string id = rows->front().entryId;
    const std::string store = contacts->storeId().value();
    // An OLE date counts days from 30 December 1899, 25569 days before 1970;
    // a day either side leaves room for the time zone.
    const double today = 25569 + static_cast<double>(std::time(nullptr)) / 86400;
    for (int deletion = 0; deletion < 2; ++deletion) {
        auto item = session->itemFromId(id, store);
        ASSERT_TRUE(item) << item.failure().description;
        EXPECT_NEAR((*item)->lastModificationTime().value(), today, 1.0);
        if (deletion == 0) {
            // Its folder's table tells the same time, for every contact listed.
            auto parent = (*item)->folder();
            ASSERT_TRUE(parent) << parent.failure().description;
            EXPECT_EQ((*parent)->folderPath().value(), contacts->folderPath().value());
            auto times = (*parent)->readChangeTimes();
            ASSERT_TRUE(times) << times.failure().description;
            EXPECT_EQ(times->size(), rows->size());
            const auto listed = std::ranges::find(*times, id, &StoredChangeTime::entryId);
            ASSERT_NE(listed, times->end());
            EXPECT_EQ(listed->lastModified, (*item)->lastModificationTime().value());
        }
        ASSERT_TRUE((*item)->remove());
        EXPECT_EQ(contacts->readContacts()->size(), expected.size() - 1);
    }
    auto gone = session->itemFromId(id, store);
    ASSERT_FALSE(gone);
    EXPECT_TRUE(gone.failure().notFound) << gone.failure().description;

    test::setStandIn(L"FailGetTable", 1);
    test::setStandIn(L"FailGetItemFromID", 1);
    EXPECT_FALSE(contacts->readContacts());
    auto refused = session->itemFromId(rows->back().entryId, store);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.failure().description, "The operation failed.");
    EXPECT_FALSE(refused.failure().notFound);
}

TEST(OutlookAutomation, NoOutlookToDriveIsToldApartFromOneThatRefused) {
    ComApartment apartment;
    SessionOutcome missing = ComOutlookAutomation("Quorvane.NoSuchApplication").createSession();
    ASSERT_FALSE(missing.session);
    EXPECT_TRUE(missing.noDesktopOutlook);
    EXPECT_EQ(missing.session.failure().description, textOf(CO_E_CLASSSTRING));
}

} // namespace
} // namespace quorvane::win32
