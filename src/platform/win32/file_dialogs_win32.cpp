#include "platform/win32/file_dialogs_win32.h"

#include "platform/win32/scoped_handles.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <cderr.h>
#include <commdlg.h>
#include <shlobj.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace quorvane::win32 {

namespace {

// The longest path Windows can hand back (the "\\?\" limit), so a deep folder
// is not cut off at 260 characters as the old call would.
constexpr DWORD LongestPath = 32768;

HWND windowOf(NativeWindow owner) {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(owner));
}

// Always the Explorer-style dialog with long names: its multiple selection
// comes back as the NUL-separated list openDialogResult reads.
DWORD dialogFlags(const OpenFileDialogSettings& settings) {
    DWORD flags = OFN_EXPLORER | OFN_LONGNAMES;
    if (settings.multipleSelection)
        flags |= OFN_ALLOWMULTISELECT;
    if (settings.readOnlyTicked)
        flags |= OFN_READONLY;
    return flags;
}

// "Description\0pattern\0\0", the filter's one entry.
std::wstring filterText(const OpenFileDialogSettings& settings) {
    std::wstring filter = toWide(settings.filterDescription);
    filter += L'\0';
    filter += toWide(settings.filterPattern);
    filter += L'\0';
    filter += L'\0';
    return filter;
}

std::string dialogFailure(DWORD code) {
    if (code == FNERR_BUFFERTOOSMALL)
        return "Too many files were chosen at once for the dialog to report them all. "
               "Choose fewer files at a time, or add their folder with Add Folder.";
    char text[80];
    std::snprintf(text, sizeof text, "The open dialog failed (common dialog error 0x%04lX).",
                  static_cast<unsigned long>(code));
    return text;
}

} // namespace

std::string openDialogResult(std::wstring_view buffer) {
    const std::size_t end = buffer.find(std::wstring_view(L"\0\0", 2));
    std::wstring_view parts = buffer.substr(0, end);
    while (parts.ends_with(L'\0'))
        parts.remove_suffix(1);
    return toUtf8(parts);
}

Outcome<std::string> Win32FileDialogs::showOpenDialog(NativeWindow owner,
                                                      const OpenFileDialogSettings& settings) {
    const std::wstring filter = filterText(settings);
    const std::wstring title = toWide(settings.title);
    const std::wstring preset = toWide(settings.fileName);
    if (preset.size() >= OpenDialogBufferChars)
        return Failure{"The preset file name is too long for the open dialog."};
    std::vector<wchar_t> buffer(OpenDialogBufferChars, L'\0');
    preset.copy(buffer.data(), preset.size());

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = windowOf(owner);
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = OpenDialogBufferChars;
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.Flags = dialogFlags(settings);
    if (GetOpenFileNameW(&dialog))
        return openDialogResult(std::wstring_view(buffer.data(), buffer.size()));
    const DWORD error = CommDlgExtendedError();
    if (error == 0)
        return std::string(); // cancelled
    return Failure{dialogFailure(error)};
}

std::string Win32FileDialogs::BrowseForFolder(NativeWindow owner, std::string_view title) {
    const std::wstring wideTitle = toWide(title);
    BROWSEINFOW browse{};
    browse.hwndOwner = windowOf(owner);
    browse.pidlRoot = nullptr;
    browse.pszDisplayName = nullptr;
    browse.lpszTitle = wideTitle.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = nullptr;
    browse.lParam = 0;
    const ScopedCoTaskMem<ITEMIDLIST> item(SHBrowseForFolderW(&browse));
    if (!item)
        return {};
    std::vector<wchar_t> path(LongestPath, L'\0');
    if (!SHGetPathFromIDListEx(item.get(), path.data(), LongestPath, GPFIDL_DEFAULT))
        return {};
    return toUtf8(path.data());
}

} // namespace quorvane::win32
