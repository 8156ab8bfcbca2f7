#include "server_window.h"

#include "config.h"
#include "contact_file.h"
#include "event_log.h"
#include "item_windows.h"
#include "random_faults.h"

#include <algorithm>

namespace quorvane::standin {
namespace {

constexpr wchar_t StartupMutex[] = L"Local\\QuorvaneOutlookStandInStartup";
// Tags our WM_COPYDATA so a stray one from elsewhere is not taken for a file.
constexpr ULONG_PTR OpenRequest = 0x51564F50; // "QVOP"
constexpr UINT_PTR IdleTimer = 1;
constexpr UINT IdleTickMs = 100;

} // namespace

StartupLock::StartupLock(DWORD timeoutMs) : mutex_(CreateMutexW(nullptr, FALSE, StartupMutex)) {
    if (!mutex_)
        return;
    const DWORD wait = WaitForSingleObject(mutex_.get(), timeoutMs);
    // An abandoned lock means a server died mid-change; the window test decides.
    acquired_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

StartupLock::~StartupLock() {
    if (acquired_)
        ReleaseMutex(mutex_.get());
}

ServerWindow::ServerWindow(ServerState& state, HINSTANCE instance, std::function<void()> onIdleExit)
    : state_(state), instance_(instance), onIdleExit_(std::move(onIdleExit)) {
    win32::registerWindowClass(windowClass(instance, ServerWindowClass));
    // A hidden top-level window rather than a message-only one: FindWindowW
    // does not see message-only windows.
    if (createWindow({.className = ServerWindowClass, .style = WS_POPUP, .instance = instance}))
        SetTimer(handle(), IdleTimer, IdleTickMs, nullptr);
}

void ServerWindow::requestOpen(const std::wstring& path) {
    const auto [config, drawn] = takeFileRequest(state_, FileRequest::Launch, path);
    state_.touch();
    if (config.neverOpen || drawn.neverOpen || !handle())
        return;
    // Outlook reads the first card only; a file without one shows Outlook's
    // own error and no item window.
    const auto contact = readFirstContactFile(path);
    if (!contact) {
        logEvent("no contact", path);
        return;
    }
    // Outlook opens the item some time after the command line arrives; a
    // timer keeps that asynchronous even with no delay configured.
    const UINT_PTR id = state_.addPendingOpen(
        {path, contact->name, drawn.twoWindows, drawn.failSave, drawn.failClose});
    const DWORD delay = config.openDelayMs + drawn.openDelayMs;
    SetTimer(handle(), id, std::max<UINT>(delay, USER_TIMER_MINIMUM), nullptr);
}

LRESULT ServerWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COPYDATA:
        return onCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_TIMER:
        onTimer(static_cast<UINT_PTR>(wParam));
        return 0;
    default:
        return defaultHandling(message, wParam, lParam);
    }
}

LRESULT ServerWindow::onCopyData(const COPYDATASTRUCT& data) {
    if (data.dwData != OpenRequest || data.cbData % sizeof(wchar_t) != 0)
        return FALSE;
    const std::wstring path(static_cast<const wchar_t*>(data.lpData),
                            data.cbData / sizeof(wchar_t));
    requestOpen(path);
    return TRUE;
}

void ServerWindow::onTimer(UINT_PTR id) {
    if (id == IdleTimer) {
        onIdleTick();
        return;
    }
    KillTimer(handle(), id);
    const PendingOpen request = state_.takePendingOpen(id);
    DWORD windows = readConfig().windowsPerOpen;
    if (request.twoWindows)
        windows = std::max<DWORD>(windows, 2);
    for (DWORD i = 0; i < windows; ++i) {
        openItemWindow(state_, instance_, request);
        logEvent("open", request.path);
    }
}

void ServerWindow::onIdleTick() {
    if (!state_.idleFor(readConfig().idleExitMs))
        return;
    // Only tried: a launcher holding the lock is about to hand us a file and
    // waits for this thread to take it.
    StartupLock lock(0);
    if (!lock.acquired())
        return;
    DestroyWindow(handle());
    onIdleExit_();
}

bool handOffToRunningServer(const std::wstring& path) {
    HWND server = FindWindowW(ServerWindowClass, nullptr);
    if (!server)
        return false;
    COPYDATASTRUCT data{};
    data.dwData = OpenRequest;
    data.cbData = static_cast<DWORD>(path.size() * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(path.data());
    DWORD_PTR accepted = FALSE;
    const LRESULT sent =
        SendMessageTimeoutW(server, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                            SMTO_ABORTIFHUNG | SMTO_BLOCK, 10000, &accepted);
    return sent != 0 && accepted == TRUE;
}

} // namespace quorvane::standin
