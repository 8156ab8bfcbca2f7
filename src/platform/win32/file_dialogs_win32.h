#pragma once
// The open-file dialog (GetOpenFileNameW) and the folder browser
// (SHBrowseForFolderW). The thread must have called OleInitialize.

#include "platform/file_dialogs.h"

namespace quorvane::win32 {

// Room for the open dialog's result, in characters. A multiple selection comes
// back as one text (the folder, then every name); 1M characters hold well
// over ten thousand long names, so in practice a selection always fits. The
// dialog is shown once: asking again with a bigger buffer would make the user
// choose twice, and growing the buffer from a hook would take the modern
// dialog away. A selection that still does not fit is a failure that says so,
// never a silently shortened list.
inline constexpr unsigned long OpenDialogBufferChars = 1ul << 20;

class Win32FileDialogs final : public FileDialogs {
public:
    Outcome<std::string> showOpenDialog(NativeWindow owner,
                                        const OpenFileDialogSettings& settings) override;
    std::string BrowseForFolder(NativeWindow owner, std::string_view title) override;
};

// The dialog's result buffer as one UTF-8 text: the parts up to the double NUL
// that ends them, separated by single NULs, with no NUL at the end.
std::string openDialogResult(std::wstring_view buffer);

} // namespace quorvane::win32
