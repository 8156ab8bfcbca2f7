#pragma once
// The program's message boxes, seen and answered from outside as a person
// would. Quorvane::answerBoxesUntil answers everything; drivers that must act
// between seeing a box and answering it (close a stray Outlook window, close
// the main window right after the answer) take one box at a time.

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

namespace quorvane::test {

struct Box {
    std::wstring title;
    std::wstring text;
};

struct ShownBox {
    HWND handle = nullptr;
    Box box;
};

// The program's visible message box, if one is up now.
std::optional<ShownBox> findBox(DWORD processId);
// The same, once one shows; nothing when none did within the timeout.
std::optional<ShownBox> waitForBox(DWORD processId, std::chrono::milliseconds timeout);
// Presses a button of the box (IDOK, IDYES, IDNO) as a person would; returns
// at once.
void pressButton(const ShownBox& shown, int button);
// Presses OK and waits until the box has gone.
void answerOk(const ShownBox& shown);

// The step number an "Application Error" report names ("at line 124"), or 0.
int reportedStep(const Box& box);

} // namespace quorvane::test
