#include "support/driver.h"

#include "support/desktop_input.h"
#include "support/message_pump.h"

#include "platform/win32/automation_messages.h"
#include "platform/win32/wide_text.h"

#include <commctrl.h>
#include <shellapi.h>

#include <stdexcept>

namespace quorvane::test {

namespace {

HWND findChild(HWND parent, const wchar_t* windowClass) {
    return FindWindowExW(parent, nullptr, windowClass, nullptr);
}

} // namespace

std::wstring environment(const wchar_t* name) {
    wchar_t value[32768];
    const DWORD length = GetEnvironmentVariableW(name, value, static_cast<DWORD>(std::size(value)));
    if (length == 0 || length >= std::size(value))
        return {};
    return std::wstring(value, length);
}

Quorvane::Quorvane(const std::wstring& arguments) {
    const std::wstring exe = environment(L"QUORVANE_EXE");
    if (exe.empty())
        throw std::runtime_error("QUORVANE_EXE does not name quorvane.exe");
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    execute.lpFile = exe.c_str();
    execute.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
    execute.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&execute) || !execute.hProcess)
        throw std::runtime_error("cannot start quorvane.exe: " +
                                 win32::systemMessage(GetLastError()));
    process_.reset(execute.hProcess);
    processId_ = GetProcessId(process_.get());
    waitUntil(
        [&] {
            window_ = findProcessWindow(processId_, win32::MainWindowClassName);
            return window_ != nullptr;
        },
        std::chrono::seconds(30));
    if (!window_) {
        DWORD exitCode = 0;
        GetExitCodeProcess(process_.get(), &exitCode);
        throw std::runtime_error("quorvane.exe showed no window (process state " +
                                 std::to_string(exitCode) + ")");
    }
}

Quorvane::~Quorvane() {
    if (WaitForSingleObject(process_.get(), 0) != WAIT_TIMEOUT)
        return;
    close();
    if (!waitForExit(std::chrono::seconds(10)))
        TerminateProcess(process_.get(), 1);
}

void Quorvane::appendRows(const std::vector<std::wstring>& paths) {
    std::wstring block;
    for (const std::wstring& path : paths)
        block.append(path).push_back(L'\0');
    COPYDATASTRUCT data{win32::CopyDataAppendRows,
                        static_cast<DWORD>(block.size() * sizeof(wchar_t)), block.data()};
    SendMessageW(window_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

void Quorvane::command(CommandId id) {
    PostMessageW(window_, WM_COMMAND, MAKEWPARAM(static_cast<int>(id), 0), 0);
}

int Quorvane::rowCount() const {
    HWND list = findChild(window_, WC_LISTVIEWW);
    return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring Quorvane::progressText() const {
    return windowText(findChild(window_, win32::ProgressBarClassName));
}

double Quorvane::progressValue() const {
    return static_cast<double>(SendMessageW(findChild(window_, win32::ProgressBarClassName),
                                            win32::ProgressGetValue, 0, 0)) /
           100.0;
}

std::vector<Box> Quorvane::answerBoxesUntil(const std::wstring& last,
                                            std::chrono::milliseconds timeout) {
    // A closing box may say more after its first line ("Done." and a summary).
    return answerBoxesUntil(
        [&](const Box& box) { return box.text == last || box.text.starts_with(last + L"\r\n"); },
        timeout);
}

std::vector<Box> Quorvane::answerBoxesUntil(const std::function<bool(const Box&)>& isLast,
                                            std::chrono::milliseconds timeout) {
    std::vector<Box> boxes;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        const auto shown = findBox(processId_);
        if (!shown) {
            if (waitForExit(std::chrono::milliseconds(20)))
                break;
            continue;
        }
        boxes.push_back(shown->box);
        answerOk(*shown);
        if (isLast(shown->box))
            break;
    }
    return boxes;
}

bool Quorvane::waitForExit(std::chrono::milliseconds timeout) {
    return WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) ==
           WAIT_OBJECT_0;
}

void Quorvane::close() {
    PostMessageW(window_, WM_CLOSE, 0, 0);
}

} // namespace quorvane::test
