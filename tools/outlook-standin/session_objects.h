#pragma once
// Outlook's session, the way the import without windows reaches it:
// Application.Session (or GetNamespace("MAPI")) is the NameSpace, which opens
// card files as contacts (OpenSharedItem), names the default Contacts folder,
// finds a folder or a stored item again by its IDs, lists the data files'
// top folders (Folders), and shows the folder chooser (PickFolder, answered
// by a switch: see config.h).

#include "server_state.h"

#include <oaidl.h>
#include <wrl/client.h>

namespace quorvane::standin {

Microsoft::WRL::ComPtr<IDispatch> makeNameSpace(ServerState& state);

} // namespace quorvane::standin
