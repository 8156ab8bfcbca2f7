#pragma once
// Outlook's folders as a client walks them: a Folder names itself, counts
// and lists what it holds (Items, GetTable), leads up (Parent) and down
// (Folders, where a folder is found by name or made), and goes to Deleted
// Items with all it holds (Delete). Only folders the mailbox has are found
// (folder_tree.h); a name that is not there fails with Outlook's "not found".

#include "server_state.h"

#include <oaidl.h>
#include <wrl/client.h>

#include <optional>
#include <string>

namespace quorvane::standin {

// The folder at `mailboxPath` (mailbox.h), as an item's Parent names it.
Microsoft::WRL::ComPtr<IDispatch> makeFolder(ServerState& state, std::wstring mailboxPath);
// The folders directly below `parent`; without one, the data files' top
// folders, as NameSpace.Folders lists them.
Microsoft::WRL::ComPtr<IDispatch> makeFolders(ServerState& state,
                                              std::optional<std::wstring> parent);

} // namespace quorvane::standin
