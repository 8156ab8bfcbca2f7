// outlook.exe, the stand-in: answers "Outlook.Application" over COM and
// `outlook /v <file>` on the command line, closely enough for the importer to
// be tested without Outlook, and misbehaves on request (see config.h).

#include "automation_objects.h"
#include "command_line.h"
#include "item_windows.h"
#include "message_filter.h"
#include "registration.h"
#include "server_state.h"
#include "server_window.h"

#include "platform/win32/com_apartment.h"
#include "platform/win32/com_object.h"

#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <memory>

using namespace quorvane::standin;
using quorvane::win32::ComApartment;
using quorvane::win32::makeComObject;

namespace {

class MessageFilterRegistration {
public:
    explicit MessageFilterRegistration(IMessageFilter* filter) {
        CoRegisterMessageFilter(filter, nullptr);
    }
    MessageFilterRegistration(const MessageFilterRegistration&) = delete;
    MessageFilterRegistration& operator=(const MessageFilterRegistration&) = delete;
    ~MessageFilterRegistration() { CoRegisterMessageFilter(nullptr, nullptr); }
};

class ClassObjectRegistration {
public:
    explicit ClassObjectRegistration(IClassFactory* factory) {
        CoRegisterClassObject(StandInClsid, factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                              &cookie_);
    }
    ClassObjectRegistration(const ClassObjectRegistration&) = delete;
    ClassObjectRegistration& operator=(const ClassObjectRegistration&) = delete;
    ~ClassObjectRegistration() { revoke(); }
    // Revoked before the process winds down, so that a client arriving then
    // starts a fresh server instead of reaching one that is going away.
    void revoke() {
        if (cookie_ != 0)
            CoRevokeClassObject(cookie_);
        cookie_ = 0;
    }

private:
    DWORD cookie_ = 0;
};

void runMessageLoop() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int serve(HINSTANCE instance, const Launch& launch) {
    // Declared before the apartment: CoUninitialize releases what clients
    // still hold, and those objects report to the state as they go.
    ServerState state;
    const auto factory = makeComObject<ApplicationFactory>(state);
    const auto filter = makeComObject<BusyMessageFilter>(state);
    ComApartment apartment;
    if (!apartment.joined())
        return 1;
    std::unique_ptr<ClassObjectRegistration> classObject;
    std::unique_ptr<ServerWindow> window;
    {
        StartupLock lock(10000);
        if (launch.mode == LaunchMode::OpenFile && handOffToRunningServer(launch.path))
            return 0;
        // Started by COM while another server runs: that one holds the class.
        if (launch.mode == LaunchMode::Serve && FindWindowW(ServerWindowClass, nullptr))
            return 0;
        window = std::make_unique<ServerWindow>(state, instance, [&classObject] {
            if (classObject)
                classObject->revoke();
            PostQuitMessage(0);
        });
        if (!window->created())
            return 1;
    }
    registerItemWindowClass(instance);
    MessageFilterRegistration filterRegistration(filter.Get());
    classObject = std::make_unique<ClassObjectRegistration>(factory.Get());
    // The class is withdrawn first, as Windows' own bookkeeping does for a
    // crashed server, so that the next client starts a fresh "Outlook"
    // rather than reach this one's remains.
    state.vanish = [&classObject, &state] {
        classObject->revoke();
        if (state.activeObjectCookie != 0)
            RevokeActiveObject(state.activeObjectCookie, nullptr);
        ExitProcess(0);
    };
    if (launch.mode == LaunchMode::OpenFile)
        window->requestOpen(launch.path);
    runMessageLoop();
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    Launch launch = parseCommandLine(GetCommandLineW());
    if (launch.mode == LaunchMode::OpenFile && launch.path.empty())
        launch.mode = LaunchMode::Serve;
    switch (launch.mode) {
    case LaunchMode::RegisterServer:
        return SUCCEEDED(registerServer()) ? 0 : 1;
    case LaunchMode::UnregisterServer:
        return SUCCEEDED(unregisterServer()) ? 0 : 1;
    default:
        return serve(instance, launch);
    }
}
