#pragma once
// What other programs (the end-to-end tests, a shell extension) may send the
// main window. Kept in one header so both sides agree.

#include <windows.h>

namespace quorvane::win32 {

inline constexpr wchar_t MainWindowClassName[] = L"QuorvaneMainWindow";
inline constexpr wchar_t ProgressBarClassName[] = L"QuorvaneProgressBar";

// WM_COPYDATA with this dwData appends the paths it carries to the queue: the
// data is UTF-16, each path ended by a NUL.
inline constexpr ULONG_PTR CopyDataAppendRows = 0x51564151; // 'QVAQ'

// Sent to the progress bar: returns the shown value in hundredths of a percent.
inline constexpr UINT ProgressGetValue = WM_USER + 1;

} // namespace quorvane::win32
