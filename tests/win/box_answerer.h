#pragma once
// Answers the message boxes this process shows, from a thread of its own, as
// a person would: reads each box, then presses OK. A test that makes the
// program show boxes keeps one alive around the calls that show them.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quorvane::win32 {

class BoxAnswerer {
public:
    struct Box {
        std::wstring title;
        std::wstring text;
        bool icon = false; // an icon is shown beside the text
        int buttons = 0;
    };

    BoxAnswerer() : thread_([this] { answer(); }) {}
    ~BoxAnswerer() {
        stop_ = true;
        thread_.join();
    }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    // Every box answered so far, in order.
    std::vector<Box> seen() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return seen_;
    }

private:
    static std::wstring textOf(HWND window) {
        wchar_t text[4096];
        const int length = GetWindowTextW(window, text, static_cast<int>(std::size(text)));
        return std::wstring(text, static_cast<std::size_t>(length > 0 ? length : 0));
    }
    static bool hasClass(HWND window, const wchar_t* name) {
        wchar_t found[32];
        return GetClassNameW(window, found, 32) && lstrcmpiW(found, name) == 0;
    }

    static HWND visibleBox() {
        HWND found = nullptr;
        EnumWindows(
            [](HWND window, LPARAM result) -> BOOL {
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                if (process != GetCurrentProcessId() || !IsWindowVisible(window) ||
                    !hasClass(window, L"#32770"))
                    return TRUE;
                *reinterpret_cast<HWND*>(result) = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }

    // The icon and the buttons are children; the text is the static 0xFFFF.
    static Box read(HWND box) {
        Box seen{textOf(box), textOf(GetDlgItem(box, 0xFFFF))};
        EnumChildWindows(
            box,
            [](HWND child, LPARAM result) -> BOOL {
                auto* seen = reinterpret_cast<Box*>(result);
                if (!IsWindowVisible(child))
                    return TRUE;
                const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
                if (hasClass(child, L"Button"))
                    ++seen->buttons;
                else if (hasClass(child, L"Static") && (style & SS_TYPEMASK) == SS_ICON &&
                         SendMessageW(child, STM_GETICON, 0, 0))
                    seen->icon = true;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&seen));
        return seen;
    }

    void answer() {
        while (!stop_) {
            HWND box = visibleBox();
            if (!box) {
                Sleep(20);
                continue;
            }
            Box shown = read(box);
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                seen_.push_back(std::move(shown));
            }
            SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (IsWindow(box) && IsWindowVisible(box) &&
                   std::chrono::steady_clock::now() < deadline)
                Sleep(10);
        }
    }

    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<Box> seen_;
    std::thread thread_; // last: it starts once everything it uses exists
};

} // namespace quorvane::win32
