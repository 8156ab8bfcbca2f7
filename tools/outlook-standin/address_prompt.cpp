#include "address_prompt.h"

#include "config.h"
#include "event_log.h"

namespace quorvane::standin {

HRESULT passAddressPrompt(ServerState& state, const DispatchCall& call, std::string_view what,
                          std::wstring_view path) {
    const AddressPrompt prompt = readConfig().addressPrompt;
    if (prompt == AddressPrompt::Never ||
        (prompt == AddressPrompt::Allow && state.addressReadsAllowed))
        return S_OK;
    const std::string event = "prompt " + std::string(what);
    if (path.empty())
        logEvent(event);
    else
        logEvent(event, path);
    if (prompt == AddressPrompt::Refuse)
        return raiseOutlookError(call, L"Operation aborted", E_ABORT);
    state.addressReadsAllowed = true;
    return S_OK;
}

} // namespace quorvane::standin
