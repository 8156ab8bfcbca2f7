#pragma once
// The choosers of a main window made inside a test's or benchmark's own
// process: the folder browser answers at once with the folder set beforehand
// (none, as if cancelled, until one is set), and the open dialog as if
// cancelled. Add Folder then runs exactly as it does for a user, with nothing
// modal in the way.

#include "platform/file_dialogs.h"

#include <string>
#include <string_view>

namespace quorvane::test {

class ChosenFolderDialogs final : public FileDialogs {
public:
    std::string folder;

    Outcome<std::string> showOpenDialog(NativeWindow, const OpenFileDialogSettings&) override {
        return std::string();
    }
    std::string BrowseForFolder(NativeWindow, std::string_view) override { return folder; }
};

} // namespace quorvane::test
