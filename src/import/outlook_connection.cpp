#include "import/outlook_connection.h"

namespace quorvane {

namespace {

constexpr StepNumber ReachOutlook{204};
constexpr StepNumber ResolveFolder{206};
// Between 220 and 222, only after Outlook went away.
constexpr StepNumber ReachOutlookAgain{248};

} // namespace

// Built by appending: GCC 12 warns falsely about a literal + std::string&&.
std::string NotAContactsFolderMessage(std::string_view folderName) {
    std::string text = "\"";
    text.append(folderName)
        .append("\" is not a contacts folder. Choose a folder that holds contacts, or press "
                "Cancel to import nothing.");
    return text;
}

std::string OutlookWentAwayMessage(std::string_view systemWords) {
    std::string text = "Outlook stopped answering while this contact was being imported: it "
                       "closed or crashed. Look in Outlook whether the contact is there before "
                       "importing it again. Quorvane starts Outlook again for the next "
                       "contact.\r\n\r\nWindows said: ";
    text.append(systemWords);
    return text;
}

bool OutlookConnection::open(RunContext& run) {
    session_ = run.reachOutlook(outlook_, ReachOutlook);
    return session_ && resolveFolder(run);
}

bool OutlookConnection::resolveFolder(RunContext& run) {
    if (destination_ != WindowlessDestination::DefaultContacts) {
        const bool found = destination_ == WindowlessDestination::ChosenFolder
                               ? chooseFolder(run)
                               : findNamedFolder(run);
        if (!found)
            return false;
        rememberFolderIds();
        return true;
    }
    // Save stores in the default Contacts folder without being told; the
    // folder is only wanted for its path in the record, so the run goes on
    // without it.
    auto folder = session_->defaultContactsFolder();
    if (!folder)
        return run.report(ResolveFolder, explained(folder.failure()));
    folder_ = std::move(folder.value());
    return true;
}

// A folder named on the command line that is not there, or holds no
// contacts, imports nothing: storing anywhere else would surprise whoever
// wrote the script.
bool OutlookConnection::findNamedFolder(RunContext& run) {
    auto found = session_->folderByPath(folderPath_);
    if (!found) {
        run.report(ResolveFolder, explained(found.failure()));
        return false;
    }
    auto itemType = found.value()->defaultItemType();
    if (!itemType) {
        run.report(ResolveFolder, explained(itemType.failure()));
        return false;
    }
    if (itemType.value() != OutlookItemType::Contact) {
        run.report(ResolveFolder, Failure{folderPath_ + " is not a contacts folder."});
        return false;
    }
    folder_ = std::move(found.value());
    return true;
}

// The chooser comes back until the user picks a contacts folder or cancels:
// a Move into a mail folder would put contacts where no address book finds
// them.
bool OutlookConnection::chooseFolder(RunContext& run) {
    for (;;) {
        auto picked = session_->pickFolder();
        // Outlook's chooser is modal to Outlook, not to this window, which
        // goes on handling its events meanwhile.
        if (run.closing())
            return false;
        if (!picked) {
            run.report(ResolveFolder, explained(picked.failure()));
            return false;
        }
        std::unique_ptr<OutlookFolder> folder = std::move(picked.value());
        if (!folder)
            return false; // Cancel: nothing is imported, nothing said
        auto itemType = folder->defaultItemType();
        if (!itemType) {
            if (!run.report(ResolveFolder, explained(itemType.failure())))
                return false;
            continue;
        }
        if (itemType.value() == OutlookItemType::Contact) {
            folder_ = std::move(folder);
            return true;
        }
        auto name = folder->name();
        if (!run.screen().show(
                NotAContactsFolderMessage(name ? name.value() : "The folder you chose"),
                MessageStyle::Exclamation))
            return false;
    }
}

void OutlookConnection::rememberFolderIds() {
    auto entryId = folder_->entryId();
    auto storeId = folder_->storeId();
    if (!entryId || !storeId) {
        folderIdFailure_ = entryId ? storeId.failure() : entryId.failure();
        return;
    }
    folderEntryId_ = std::move(entryId.value());
    folderStoreId_ = std::move(storeId.value());
}

// Every reference into that Outlook is dead now.
Failure OutlookConnection::explained(Failure failure) {
    if (failure.connectionLost && session_ && !lost_) {
        lost_ = true;
        failure.description = OutlookWentAwayMessage(failure.description);
    }
    return failure;
}

// The contact that was at hand when Outlook went away has been reported;
// this one goes to a fresh Outlook, into the same folder. When Outlook
// cannot be reached again, the run stops here, since every later contact
// would fail the same way.
bool OutlookConnection::reachAgainIfLost(RunContext& run) {
    if (!lost_)
        return true;
    release();
    SessionOutcome reached = outlook_.createSession();
    if (!reached.session) {
        abandoned_ = true;
        run.report(ReachOutlookAgain, reached.session.failure());
        return false;
    }
    session_ = std::move(reached.session.value());
    lost_ = false;
    return findFolderAgain(run);
}

bool OutlookConnection::findFolderAgain(RunContext& run) {
    if (destination_ == WindowlessDestination::DefaultContacts) {
        // As at 206: Save needs no folder, so the run goes on without one.
        auto folder = session_->defaultContactsFolder();
        if (!folder)
            return run.report(ReachOutlookAgain, explained(folder.failure()));
        folder_ = std::move(folder.value());
        return true;
    }
    if (folderIdFailure_) {
        abandoned_ = true;
        run.report(ReachOutlookAgain, *folderIdFailure_);
        return false;
    }
    auto folder = session_->folderFromId(folderEntryId_, folderStoreId_);
    if (!folder) {
        abandoned_ = true;
        run.report(ReachOutlookAgain, explained(folder.failure()));
        return false;
    }
    folder_ = std::move(folder.value());
    return true;
}

void OutlookConnection::release() {
    folder_.reset();
    session_.reset();
}

} // namespace quorvane
