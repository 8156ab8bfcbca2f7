#pragma once
// A contact as Outlook hands it out: the item an item window shows
// (Inspector.CurrentItem), the item OpenSharedItem makes from a card file,
// and a stored item GetItemFromID finds again. Nothing is stored until Save;
// Move hands back the same contact bound for another folder, stored there by
// its own Save. Delete moves a stored item to Deleted Items.

#include "contact_store.h"
#include "server_state.h"

#include <oaidl.h>
#include <wrl/client.h>

#include <memory>

namespace quorvane::standin {

// What goes wrong with this one contact, drawn for its request; the fixed
// switches apply on top.
struct ContactFaults {
    bool failSave = false;
    bool failMove = false;
    bool vanishOnSave = false;
    bool failDelete = false;
};

// `contact` has no entry ID until stored; its mailboxPath is the folder
// Save stores it in. Every property of ContactFields is read and (but
// HasPicture) written by its name, AddPicture(Path) sets the picture, and
// Save records the contact in SavedFile and ContactsFile (event_log.h).
Microsoft::WRL::ComPtr<IDispatch> makeContactItem(ServerState& state, StoredContact contact,
                                                  ContactFaults faults);
// An item that shares its contact with others, as every CurrentItem of one
// item window does: what one writes, the others read.
Microsoft::WRL::ComPtr<IDispatch>
makeContactItem(ServerState& state, std::shared_ptr<StoredContact> contact, ContactFaults faults);

// A contact not stored yet, read from the card file at `path` whose first
// card's name is `name`.
StoredContact unsavedContact(const std::wstring& path, const std::wstring& name);

} // namespace quorvane::standin
