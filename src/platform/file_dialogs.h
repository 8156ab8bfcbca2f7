#pragma once
// The platform's modal choosers: the open-file dialog and the folder browser.

#include "base/outcome.h"
#include "platform/native_window.h"

#include <string>
#include <string_view>

namespace quorvane {

struct OpenFileDialogSettings {
    std::string fileName; // preset file name
    // Several files at once, chosen with Ctrl or Shift.
    bool multipleSelection = false;
    // The dialog's "Open as read-only" box starts ticked (nothing reads it).
    bool readOnlyTicked = false;
    std::string title;
    std::string filterDescription;
    std::string filterPattern;
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;

    // The dialog's FileName: one full path, or the folder and the chosen names
    // separated by NUL characters; empty when the user cancelled. Fails when
    // the dialog itself fails, e.g. when a selection does not fit its buffer.
    virtual Outcome<std::string> showOpenDialog(NativeWindow owner,
                                                const OpenFileDialogSettings& settings) = 0;

    // The chosen folder's file-system path, or empty text when the user
    // cancelled or the item has no file-system path.
    virtual std::string BrowseForFolder(NativeWindow owner, std::string_view title) = 0;
};

} // namespace quorvane
