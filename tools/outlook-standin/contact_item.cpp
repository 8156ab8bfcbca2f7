#include "contact_item.h"

#include "config.h"
#include "dispatch_object.h"
#include "event_log.h"
#include "mailbox.h"

#include "platform/win32/com_object.h"
#include "platform/win32/wide_text.h"

namespace quorvane::standin {
namespace {

class ContactItem final : public DispatchObject {
public:
    ContactItem(ServerState& state, ContactSource source, ContactFaults faults)
        : DispatchObject(state, "ContactItem", Members), source_(std::move(source)),
          faults_(faults) {}

private:
    enum : DISPID { SaveId = 1, FullNameId, EntryIdId, MoveId };
    static constexpr DispatchMember Members[] = {
        {L"Save", SaveId}, {L"FullName", FullNameId}, {L"EntryID", EntryIdId}, {L"Move", MoveId}};

    HRESULT invokeMember(DISPID id, const DispatchCall& call) override {
        switch (id) {
        case SaveId:
            return save(call);
        case FullNameId:
            logEvent("get FullName", source_.path);
            return returnText(call, source_.name);
        case EntryIdId:
            logEvent("get EntryID = " + win32::toUtf8(entryId_), source_.path);
            return returnText(call, entryId_);
        default:
            return move(call);
        }
    }

    HRESULT save(const DispatchCall& call) {
        const StandInConfig config = readConfig();
        if (faults_.failSave || config.failSave) {
            logEvent("fail Save", source_.path);
            return raiseOutlookError(call, L"The contact could not be saved.", E_FAIL);
        }
        logEvent("Save", source_.path);
        // Saved again, an item keeps its identity (and is stored again here,
        // so that a test sees the second Save).
        if (entryId_.empty())
            entryId_ = state_.newEntryId();
        recordSaved(source_.path, source_.name, folderPath(source_.mailboxPath));
        state_.contactStored(source_.mailboxPath);
        const bool vanishSwitch = countDownVanishAtSave(config);
        if ((faults_.vanishOnSave || vanishSwitch) && state_.vanish) {
            // Stored, yet the caller never hears so: the hardest case for an
            // importer that must not store a contact twice.
            logEvent("vanish", source_.path);
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
        if (faults_.failMove || readConfig().failMove) {
            logEvent("fail Move", source_.path);
            return raiseOutlookError(call, L"Cannot move the items.", E_FAIL);
        }
        logEvent("Move(" + win32::toUtf8(folderPath(*folder)) + ")", source_.path);
        ContactSource moved = source_;
        moved.mailboxPath = *folder;
        return returnObject(call, makeContactItem(state_, std::move(moved), faults_));
    }

    const ContactSource source_;
    const ContactFaults faults_;
    std::wstring entryId_; // empty until stored, as Outlook's is
};

} // namespace

Microsoft::WRL::ComPtr<IDispatch> makeContactItem(ServerState& state, ContactSource source,
                                                  ContactFaults faults) {
    return win32::makeComObject<ContactItem>(state, std::move(source), faults);
}

} // namespace quorvane::standin
