#include "support/box_watch.h"

#include "support/desktop_input.h"
#include "support/message_pump.h"

#include <cwchar>

namespace quorvane::test {
namespace {

// Every message box is a dialog of this class; the program shows no others
// while it runs.
constexpr wchar_t DialogClass[] = L"#32770";
// The box's text is its static control with this ID.
constexpr int BoxTextId = 0xFFFF;

} // namespace

// Only dialogs are listed, by the window manager itself: a watch that looked
// at every top-level window twice a second and more kept Wine's server busy
// enough to slow the program it watched by a third.
std::optional<ShownBox> findBox(DWORD processId) {
    for (HWND window = FindWindowExW(nullptr, nullptr, DialogClass, nullptr); window;
         window = FindWindowExW(nullptr, window, DialogClass, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window))
            return ShownBox{window,
                            Box{windowText(window), windowText(GetDlgItem(window, BoxTextId))}};
    }
    return std::nullopt;
}

std::optional<ShownBox> waitForBox(DWORD processId, std::chrono::milliseconds timeout) {
    std::optional<ShownBox> shown;
    waitUntil([&] { return (shown = findBox(processId)).has_value(); }, timeout);
    return shown;
}

void pressButton(const ShownBox& shown, int button) {
    SendMessageW(shown.handle, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(shown.handle, button)));
}

void answerOk(const ShownBox& shown) {
    pressButton(shown, IDOK);
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

} // namespace quorvane::test
