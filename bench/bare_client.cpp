#include "bare_client.h"

#include "support/message_pump.h"

#include "platform/win32/outlook_com.h"
#include "platform/win32/outlook_session_com.h"
#include "platform/win32/shell_launcher_win32.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

namespace quorvane::bench {

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

int importAllBareWithoutWindows(const std::vector<std::wstring>& paths) {
    win32::ComOutlookAutomation outlook;
    SessionOutcome reached = outlook.createSession();
    if (!reached.session)
        return static_cast<int>(paths.size());
    OutlookSession& session = *reached.session.value();
    const auto folder = session.defaultContactsFolder();
    if (!folder || !folder.value()->folderPath())
        return static_cast<int>(paths.size());
    int failed = 0;
    for (const std::wstring& path : paths) {
        auto item = session.openSharedItem(win32::toUtf8(path));
        const bool stored = item && item.value()->save() && item.value()->entryId();
        failed += stored ? 0 : 1;
    }
    return failed;
}

} // namespace quorvane::bench
