#include "contact_item.h"

#include "config.h"
#include "dispatch_object.h"
#include "event_log.h"
#include "mailbox.h"
#include "session_objects.h"

#include "platform/win32/com_object.h"
#include "platform/win32/wide_text.h"

namespace quorvane::standin {
namespace {

using win32::toUtf8;

class ContactItem final : public DispatchObject {
public:
    ContactItem(ServerState& state, StoredContact contact, ContactFaults faults)
        : DispatchObject(state, "ContactItem", Members), contact_(std::move(contact)),
          faults_(faults) {}

private:
    enum : DISPID { SaveId = 1, MoveId, DeleteId, ParentId, FirstPropertyId };
    // The properties a table's columns also name (see propertyOf).
    static constexpr DispatchMember Members[] = {{L"Save", SaveId},
                                                 {L"Move", MoveId},
                                                 {L"Delete", DeleteId},
                                                 {L"Parent", ParentId},
                                                 {L"FullName", FirstPropertyId},
                                                 {L"EntryID", FirstPropertyId + 1},
                                                 {L"LastModificationTime", FirstPropertyId + 2},
                                                 {L"Email1Address", FirstPropertyId + 3},
                                                 {L"Email2Address", FirstPropertyId + 4},
                                                 {L"Email3Address", FirstPropertyId + 5},
                                                 {L"BusinessTelephoneNumber", FirstPropertyId + 6},
                                                 {L"HomeTelephoneNumber", FirstPropertyId + 7},
                                                 {L"MobileTelephoneNumber", FirstPropertyId + 8},
                                                 {L"MessageClass", FirstPropertyId + 9}};

    HRESULT invokeMember(DISPID id, const DispatchCall& call) override {
        switch (id) {
        case SaveId:
            return save(call);
        case MoveId:
            return move(call);
        case DeleteId:
            return remove(call);
        case ParentId:
            logEvent("get Parent " + toUtf8(folderPath(contact_.mailboxPath)), contact_.sourcePath);
            return returnObject(call, makeFolder(state_, contact_.mailboxPath));
        default:
            return property(id, call);
        }
    }

    HRESULT property(DISPID id, const DispatchCall& call) {
        const wchar_t* name = nullptr;
        for (const DispatchMember& member : Members)
            name = member.id == id ? member.name : name;
        const auto value = propertyOf(contact_, name);
        if (value && value->date) {
            logEvent("get " + toUtf8(name), contact_.sourcePath);
            return returnDate(call, *value->date);
        }
        const std::string shown = id == FirstPropertyId + 1 ? " = " + toUtf8(value->text) : "";
        logEvent("get " + toUtf8(name) + shown, contact_.sourcePath);
        return returnText(call, value->text);
    }

    HRESULT save(const DispatchCall& call) {
        const StandInConfig config = readConfig();
        const std::wstring& path = contact_.sourcePath;
        if (faults_.failSave || config.failSave) {
            logEvent("fail Save", path);
            return raiseOutlookError(call, L"The contact could not be saved.", E_FAIL);
        }
        logEvent("Save", path);
        // Saved again, an item keeps its identity (and is recorded again
        // here, so that a test sees the second Save).
        if (contact_.entryId.empty())
            contact_.entryId = state_.newEntryId();
        contact_ = state_.contacts(config).save(contact_);
        recordSaved(path, contact_.fields.fullName, folderPath(contact_.mailboxPath));
        const bool vanishSwitch = countDownVanishAtSave(config);
        if ((faults_.vanishOnSave || vanishSwitch) && state_.vanish) {
            // Stored, yet the caller never hears so: the hardest case for an
            // importer that must not store a contact twice.
            logEvent("vanish", path);
            state_.vanish();
        }
        return S_OK;
    }

    HRESULT move(const DispatchCall& call) {
        IDispatch* target = nullptr;
        if (const HRESULT hr = objectArgument(call, 0, target); FAILED(hr))
            return hr;
        const auto folder = state_.folderOf(target);
        if (!folder)
            return raiseOutlookError(call, L"The folder to move to does not exist.", E_INVALIDARG);
        const StandInConfig config = readConfig();
        if (faults_.failMove || config.failMove) {
            logEvent("fail Move", contact_.sourcePath);
            return raiseOutlookError(call, L"Cannot move the items.", E_FAIL);
        }
        logEvent("Move(" + toUtf8(folderPath(*folder)) + ")", contact_.sourcePath);
        StoredContact moved = contact_;
        moved.mailboxPath = *folder;
        // A stored item moves at once, keeping its ID as in a data file.
        if (!moved.entryId.empty())
            moved = state_.contacts(config).save(moved);
        return returnObject(call, makeContactItem(state_, std::move(moved), faults_));
    }

    HRESULT remove(const DispatchCall& call) {
        const StandInConfig config = readConfig();
        if (faults_.failDelete || config.failDelete) {
            logEvent("fail Delete", contact_.sourcePath);
            return raiseOutlookError(call, L"Cannot delete this item.", E_FAIL);
        }
        logEvent("Delete " + toUtf8(contact_.entryId), contact_.sourcePath);
        // An item never stored is only let go of.
        ContactStore& store = state_.contacts(config);
        if (!contact_.entryId.empty() && store.remove(contact_.entryId))
            contact_ = store.find(contact_.entryId).value_or(contact_);
        return S_OK;
    }

    StoredContact contact_;
    const ContactFaults faults_;
};

} // namespace

Microsoft::WRL::ComPtr<IDispatch> makeContactItem(ServerState& state, StoredContact contact,
                                                  ContactFaults faults) {
    return win32::makeComObject<ContactItem>(state, std::move(contact), faults);
}

StoredContact unsavedContact(const std::wstring& path, const std::wstring& name) {
    return StoredContact{{}, DefaultContactsFolder, path, fieldsOfFile(path, name), oleNow()};
}

} // namespace quorvane::standin
