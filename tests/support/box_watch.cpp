#include "box_watch.h"

namespace quorvane::e2e {
namespace {

std::wstring windowText(HWND window) {
    wchar_t text[8192];
    const int length = GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    return std::wstring(text, static_cast<std::size_t>(length > 0 ? length : 0));
}

bool isDialogClass(HWND window) {
    wchar_t name[16];
    const int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return std::wstring_view(name, static_cast<std::size_t>(length)) == L"#32770";
}

struct Search {
    DWORD processId;
    HWND found;
};

} // namespace

std::optional<ShownBox> findBox(DWORD processId) {
    Search search{processId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s->processId || !IsWindowVisible(window) || !isDialogClass(window))
                return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        return std::nullopt;
    // The box's text is its static control, ID 0xFFFF.
    return ShownBox{search.found,
                    Box{windowText(search.found), windowText(GetDlgItem(search.found, 0xFFFF))}};
}

void answerOk(const ShownBox& shown) {
    SendMessageW(shown.handle, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(shown.handle, IDOK)));
    waitUntil([&] { return !IsWindow(shown.handle) || !IsWindowVisible(shown.handle); },
              std::chrono::seconds(5));
}

int reportedStep(const Box& box) {
    if (box.title != L"Application Error")
        return 0;
    const auto at = box.text.find(L"at line ");
    if (at == std::wstring::npos)
        return 0;
    return static_cast<int>(std::wcstol(box.text.c_str() + at + 8, nullptr, 10));
}

bool closeStandInItemWindows(std::chrono::milliseconds timeout) {
    return waitUntil(
        [] {
            HWND item = FindWindowExW(nullptr, nullptr, L"QuorvaneStandInContact", nullptr);
            for (HWND next = item; next;
                 next = FindWindowExW(nullptr, next, L"QuorvaneStandInContact", nullptr))
                PostMessageW(next, WM_CLOSE, 0, 0);
            return item == nullptr;
        },
        timeout);
}

} // namespace quorvane::e2e
