#include "contact_item.h"

#include "address_prompt.h"
#include "card_mapping.h"
#include "config.h"
#include "contact_file.h"
#include "dispatch_object.h"
#include "event_log.h"
#include "folder_objects.h"
#include "mailbox.h"
#include "pictures.h"
#include "property_variant.h"

#include "platform/win32/com_object.h"
#include "platform/win32/wide_text.h"

#include <vector>

namespace quorvane::standin {
namespace {

using win32::toUtf8;
using P = ContactProperty;

class ContactItem final : public DispatchObject {
public:
    ContactItem(ServerState& state, std::shared_ptr<StoredContact> contact, ContactFaults faults)
        : DispatchObject(state, "ContactItem", members()), contact_(std::move(contact)),
          faults_(faults) {}

private:
    enum : DISPID {
        SaveId = 1,
        MoveId,
        DeleteId,
        ParentId,
        AddPictureId,
        EntryIdId,
        LastModificationTimeId,
        MessageClassId,
        FirstPropertyId = 100 // then each of ContactFields' properties in its order
    };

    static std::span<const DispatchMember> members() {
        static const std::vector<DispatchMember> all = [] {
            std::vector<DispatchMember> list = {{L"Save", SaveId},
                                                {L"Move", MoveId},
                                                {L"Delete", DeleteId},
                                                {L"Parent", ParentId},
                                                {L"AddPicture", AddPictureId},
                                                {L"EntryID", EntryIdId},
                                                {L"LastModificationTime", LastModificationTimeId},
                                                {L"MessageClass", MessageClassId}};
            for (std::size_t at = 0; at < ContactPropertyCount; ++at) {
                const auto property = static_cast<P>(at);
                list.push_back({nameOf(property), FirstPropertyId + static_cast<DISPID>(at),
                                isWritable(property)});
            }
            return list;
        }();
        return all;
    }

    HRESULT invokeMember(DISPID id, const DispatchCall& call) override {
        switch (id) {
        case SaveId:
            return save(call);
        case MoveId:
            return move(call);
        case DeleteId:
            return remove(call);
        case AddPictureId:
            return addPicture(call);
        case ParentId:
            logEvent("get Parent " + toUtf8(folderPath(contact_->mailboxPath)),
                     contact_->sourcePath);
            return returnObject(call, makeFolder(state_, contact_->mailboxPath));
        case EntryIdId:
        case LastModificationTimeId:
        case MessageClassId:
            return itemProperty(id, call);
        default:
            return call.put ? put(static_cast<P>(id - FirstPropertyId), call)
                            : get(static_cast<P>(id - FirstPropertyId), call);
        }
    }

    static HRESULT returnValue(const DispatchCall& call, const PropertyValue& value) {
        PropertyVariant variant(value);
        return call.result ? VariantCopy(call.result, variant.get()) : S_OK;
    }

    // The item's own properties, which a card does not give.
    HRESULT itemProperty(DISPID id, const DispatchCall& call) {
        const wchar_t* name = members()[id - SaveId].name;
        const PropertyValue value = *propertyOf(*contact_, name);
        const std::string shown = id == EntryIdId ? " = " + toUtf8(contact_->entryId) : "";
        logEvent("get " + toUtf8(name) + shown, contact_->sourcePath);
        return returnValue(call, value);
    }

    HRESULT get(P property, const DispatchCall& call) {
        const std::string name = toUtf8(nameOf(property));
        logEvent("get " + name, contact_->sourcePath);
        if (isGuarded(property))
            if (const HRESULT hr = passAddressPrompt(state_, call, name, contact_->sourcePath);
                FAILED(hr))
                return hr;
        return returnValue(call, contact_->fields[property]);
    }

    // Held by the item until Save stores it, as in Outlook.
    HRESULT put(P property, const DispatchCall& call) {
        logEvent("put " + toUtf8(nameOf(property)), contact_->sourcePath);
        const bool date = std::holds_alternative<OleDate>(contact_->fields[property]);
        VARIANT value;
        if (const HRESULT hr = convertedArgument(call, 0, date ? VT_DATE : VT_BSTR, value);
            FAILED(hr))
            return hr;
        if (date)
            contact_->fields.set(property, OleDate{value.date});
        else
            contact_->fields.set(property, std::wstring(value.bstrVal ? value.bstrVal : L"",
                                                        SysStringLen(value.bstrVal)));
        VariantClear(&value);
        return S_OK;
    }

    // AddPicture(Path): the file's picture replaces any the contact had.
    HRESULT addPicture(const DispatchCall& call) {
        std::wstring picture;
        if (const HRESULT hr = textArgument(call, 0, picture); FAILED(hr))
            return hr;
        const bool found = GetFileAttributesW(picture.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (!found || !isContactPicture(fileBytesOf(picture))) {
            logEvent("fail AddPicture", contact_->sourcePath);
            return raiseOutlookError(call,
                                     found ? L"The file is not a picture Outlook can show."
                                           : L"Cannot find the picture file.",
                                     E_FAIL);
        }
        logEvent("AddPicture", contact_->sourcePath);
        contact_->fields.set(P::HasPicture, true);
        return S_OK;
    }

    HRESULT save(const DispatchCall& call) {
        const StandInConfig config = readConfig();
        const std::wstring& path = contact_->sourcePath;
        if (faults_.failSave || config.failSave) {
            logEvent("fail Save", path);
            return raiseOutlookError(call, L"The contact could not be saved.", E_FAIL);
        }
        logEvent("Save", path);
        // Saved again, an item keeps its identity (and is recorded again
        // here, so that a test sees the second Save).
        const bool firstSave = contact_->entryId.empty();
        if (firstSave)
            contact_->entryId = state_.newEntryId();
        *contact_ = state_.contacts(config).save(*contact_);
        if (firstSave && config.savesEveryCard)
            saveTheOtherCards(config);
        recordSaved(path, contact_->fields.text(P::FullName), folderPath(contact_->mailboxPath));
        recordContact(path, propertyLine(contact_->fields));
        const bool vanishSwitch = countDownVanishAtSave(config);
        if ((faults_.vanishOnSave || vanishSwitch) && state_.vanish) {
            // Stored, yet the caller never hears so: the hardest case for an
            // importer that must not store a contact twice.
            logEvent("vanish", path);
            state_.vanish();
        }
        return S_OK;
    }

    // An Outlook that reads every card of a file, not the first alone: each
    // other card becomes a contact of its own in the same folder.
    void saveTheOtherCards(const StandInConfig& config) {
        const auto cards = readEveryContactFile(contact_->sourcePath);
        for (std::size_t at = 1; at < cards.size(); ++at) {
            StoredContact other{state_.newEntryId(), contact_->mailboxPath, contact_->sourcePath,
                                contactOfCard(cards[at], config.keeps), oleNow()};
            other.fields.text(P::FullName) = cards[at].name;
            logEvent("Save (card " + std::to_string(at + 1) + ")", contact_->sourcePath);
            state_.contacts(config).save(std::move(other));
        }
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
            logEvent("fail Move", contact_->sourcePath);
            return raiseOutlookError(call, L"Cannot move the items.", E_FAIL);
        }
        logEvent("Move(" + toUtf8(folderPath(*folder)) + ")", contact_->sourcePath);
        StoredContact moved = *contact_;
        moved.mailboxPath = *folder;
        // A stored item moves at once, keeping its ID as in a data file.
        if (!moved.entryId.empty())
            moved = state_.contacts(config).save(moved);
        return returnObject(call, makeContactItem(state_, std::move(moved), faults_));
    }

    HRESULT remove(const DispatchCall& call) {
        const StandInConfig config = readConfig();
        if (faults_.failDelete || config.failDelete) {
            logEvent("fail Delete", contact_->sourcePath);
            return raiseOutlookError(call, L"Cannot delete this item.", E_FAIL);
        }
        logEvent("Delete " + toUtf8(contact_->entryId), contact_->sourcePath);
        // An item never stored is only let go of.
        ContactStore& store = state_.contacts(config);
        if (!contact_->entryId.empty() && store.remove(contact_->entryId))
            *contact_ = store.find(contact_->entryId).value_or(*contact_);
        return S_OK;
    }

    const std::shared_ptr<StoredContact> contact_;
    const ContactFaults faults_;
};

} // namespace

Microsoft::WRL::ComPtr<IDispatch>
makeContactItem(ServerState& state, std::shared_ptr<StoredContact> contact, ContactFaults faults) {
    return win32::makeComObject<ContactItem>(state, std::move(contact), faults);
}

Microsoft::WRL::ComPtr<IDispatch> makeContactItem(ServerState& state, StoredContact contact,
                                                  ContactFaults faults) {
    return makeContactItem(state, std::make_shared<StoredContact>(std::move(contact)), faults);
}

StoredContact unsavedContact(const std::wstring& path, const std::wstring& name) {
    const auto card = readFirstContactFile(path);
    ContactFields fields = card ? contactOfCard(*card, readConfig().keeps) : ContactFields();
    fields.text(P::FullName) = name;
    return StoredContact{{}, DefaultContactsFolder, path, std::move(fields), oleNow()};
}

} // namespace quorvane::standin
