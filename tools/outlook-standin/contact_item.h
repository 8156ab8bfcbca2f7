#pragma once
// A contact as Outlook hands it out: the item an item window shows
// (Inspector.CurrentItem) and the item OpenSharedItem makes from a card file.
// Nothing is stored until Save; Move hands back the same contact bound for
// another folder, stored there by its own Save.

#include "server_state.h"

#include <oaidl.h>
#include <wrl/client.h>

#include <string>

namespace quorvane::standin {

// What goes wrong with this one contact, drawn for its request; the fixed
// switches apply on top.
struct ContactFaults {
    bool failSave = false;
    bool failMove = false;
    bool vanishOnSave = false;
};

struct ContactSource {
    std::wstring path;        // the card file Outlook read
    std::wstring name;        // its first card's name
    std::wstring mailboxPath; // the folder Save stores it in
};

Microsoft::WRL::ComPtr<IDispatch> makeContactItem(ServerState& state, ContactSource source,
                                                  ContactFaults faults);

} // namespace quorvane::standin
