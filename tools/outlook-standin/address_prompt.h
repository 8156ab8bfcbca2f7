#pragma once
// Outlook's security prompt. Where the antivirus state is not good, a program
// in another process that reads a contact's e-mail or IM addresses or its
// notes makes Outlook ask the user first; writing them asks nothing. The
// AddressPrompt switch (config.h) says whether the stand-in asks and what the
// user answers.

#include "dispatch_object.h"
#include "server_state.h"

#include <string_view>

namespace quorvane::standin {

// Before a guarded read of `what` (a property's name) from the item made of
// the card at `path` (none for a table): S_OK when the read may go on, else
// the call has failed as a "No" fails it in Outlook, with E_ABORT and
// "Operation aborted". Logs "prompt <what> <path>" each time the prompt
// would show.
HRESULT passAddressPrompt(ServerState& state, const DispatchCall& call, std::string_view what,
                          std::wstring_view path = {});

} // namespace quorvane::standin
