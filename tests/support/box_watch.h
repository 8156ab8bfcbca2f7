#pragma once
// One message box of the program at a time, for drivers that must act between
// seeing a box and answering it (close a stray Outlook window, close the main
// window right after the answer). Quorvane::answerBoxesUntil covers the
// simple case of answering everything.

#include "driver.h"

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

namespace quorvane::e2e {

struct ShownBox {
    HWND handle = nullptr;
    Box box;
};

// The program's visible message box, if one is up now.
std::optional<ShownBox> findBox(DWORD processId);
// Presses OK as a person would and waits until the box has gone.
void answerOk(const ShownBox& shown);

// The step number an "Application Error" report names ("at line 124"), or 0.
int reportedStep(const Box& box);

// Closes every item window of the stand-in, as a person tidying up would,
// and waits until they are gone; false if some stayed.
bool closeStandInItemWindows(std::chrono::milliseconds timeout);

} // namespace quorvane::e2e
