#include "import/windowless_run.h"

#include "import/run_progress.h"

#include <cassert>

namespace quorvane {

namespace {

// Step numbers as the error report shows them; docs/windowless-steps.md
// says what each does and where the run goes on after its failure.
enum Step : int {
    CheckQueue = 200,
    ShowHourglass = 202,
    ReachOutlook = 204,
    ResolveFolder = 206,
    ReadFolderPath = 208,
    FixLastIndex = 210,
    YieldToWindow = 212,
    ReadPath = 214,
    // Never reported itself: a file that yields no contact is reported where
    // its contact would have been opened (222).
    SplitIntoContacts = 216,
    ShowProgressText = 218,
    ShowProgressValue = 220,
    OpenContact = 222,
    StoreContact = 224,
    SaveMovedContact = 226,
    ReadEntryId = 228,
    ReleaseContact = 230,
    FinishContact = 232,
    AdvanceIndex = 234,
    ReleaseOutlook = 236,
    RestorePointer = 238,
    ResetProgressValue = 240,
    ResetProgressText = 242,
    ShowClosingMessage = 244,
    ShowNoFiles = 246,
    // Between 220 and 222, only after Outlook went away.
    ReachOutlookAgain = 248,
};

} // namespace

std::string NoDesktopOutlookMessage(std::string_view systemWords) {
    return "Quorvane could not reach Outlook, so nothing was imported.\r\n\r\n"
           "Importing needs the classic desktop Outlook, the one that comes with Microsoft "
           "Office. The new Outlook for Windows cannot be driven by other programs, so "
           "Quorvane cannot import into it.\r\n\r\nWindows said: " +
           std::string(systemWords);
}

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

WindowlessRun::WindowlessRun(const ImportQueue& queue, WindowlessRunServices services,
                             WindowlessTarget target)
    : SteppedRun(queue, services.window, services.storage, services.codePages),
      outlook_(services.outlook), target_(target) {}

RunEnd WindowlessRun::run() {
    return runFrom(CheckQueue);
}

// Every reference into that Outlook is dead now. Said once, in words that
// tell the user what happened to the contact at hand; the next contact
// reaches Outlook afresh.
void WindowlessRun::beforeReport(Failure& failure) {
    if (!failure.connectionLost || !session_ || outlookLost_)
        return;
    outlookLost_ = true;
    failure.description = OutlookWentAwayMessage(failure.description);
}

void WindowlessRun::releaseOutlook() {
    releaseContact();
    folder_.reset();
    session_.reset();
}

WindowlessRun::StepResult WindowlessRun::execute(int step) {
    switch (step) {
    case CheckQueue:
        return go(queue_.count() > 0 ? ShowHourglass : ShowNoFiles);
    case ShowHourglass:
        window_.setPointer(PointerKind::Hourglass);
        return go(ReachOutlook);
    case ReachOutlook:
        return reachOutlook();
    case ResolveFolder:
        return resolveFolder();
    case ReadFolderPath:
        return readFolderPath();
    case FixLastIndex:
        return fixLastIndex();
    case YieldToWindow:
        yieldToWindow();
        return go(ReadPath);
    case ReadPath:
        return proceed(readCurrentRow(), SplitIntoContacts, AdvanceIndex);
    case SplitIntoContacts:
        splitIntoContacts();
        return go(ShowProgressText);
    case ShowProgressText:
        window_.setProgressText(progressText());
        return go(ShowProgressValue);
    case ShowProgressValue:
        return showProgressValue();
    case OpenContact:
        return openContact();
    case StoreContact:
        return storeContact();
    case SaveMovedContact:
        return saveMovedContact();
    case ReadEntryId:
        return readEntryId();
    case ReleaseContact:
        releaseContact();
        return go(FinishContact);
    case FinishContact:
        return finishContact();
    case AdvanceIndex:
        return advanceIndex();
    case ReleaseOutlook:
        folder_.reset();
        session_.reset();
        return go(RestorePointer);
    case RestorePointer:
        window_.setPointer(PointerKind::Arrow);
        return go(ResetProgressValue);
    case ResetProgressValue:
        window_.setProgressValue(0);
        return go(ResetProgressText);
    case ResetProgressText:
        window_.setProgressText(ProgressAtRest);
        announceEnd();
        return go(ShowClosingMessage);
    case ShowClosingMessage:
        return showClosingMessage();
    case ShowNoFiles:
        announceEnd();
        window_.showMessage("No files added.", MessageStyle::Plain);
        return go(End);
    case ReachOutlookAgain:
        return reachOutlookAgain();
    }
    assert(false && "the windowless run reached a step number it does not have");
    return go(End);
}

// Once per run: a session held for every contact costs Outlook far less than
// reaching it anew per file, and an Outlook that is missing is said once.
WindowlessRun::StepResult WindowlessRun::reachOutlook() {
    SessionOutcome reached = outlook_.createSession();
    if (reached.session) {
        session_ = std::move(reached.session.value());
        return go(ResolveFolder);
    }
    // Nothing can be imported without Outlook, so the run ends here rather
    // than report every file.
    if (reached.noDesktopOutlook) {
        closingMessage_ = {NoDesktopOutlookMessage(reached.session.failure().description),
                           MessageStyle::Exclamation};
        return go(ReleaseOutlook);
    }
    return fail(reached.session.failure(), ReleaseOutlook);
}

WindowlessRun::StepResult WindowlessRun::resolveFolder() {
    if (target_ == WindowlessTarget::ChosenFolder)
        return chooseFolder();
    // Save stores in the default Contacts folder without being told; the
    // folder is only wanted for its path in the record, so the run goes on
    // without it.
    auto folder = session_->defaultContactsFolder();
    if (!folder)
        return fail(folder.failure(), ReadFolderPath);
    folder_ = std::move(folder.value());
    return go(ReadFolderPath);
}

// The chooser comes back until the user picks a contacts folder or cancels:
// a Move into a mail folder would put contacts where no address book finds
// them.
WindowlessRun::StepResult WindowlessRun::chooseFolder() {
    auto picked = session_->pickFolder();
    // Outlook's chooser is modal to Outlook, not to this window, which goes
    // on handling its events meanwhile.
    windowClosing_ = window_.closing();
    if (!picked)
        return fail(picked.failure(), ReleaseOutlook);
    std::unique_ptr<OutlookFolder> folder = std::move(picked.value());
    if (!folder)
        return go(ReleaseOutlook); // Cancel: nothing is imported, nothing said
    auto itemType = folder->defaultItemType();
    if (!itemType)
        return fail(itemType.failure(), ResolveFolder);
    if (itemType.value() != ContactItemType) {
        auto name = folder->name();
        window_.showMessage(NotAContactsFolderMessage(name ? name.value() : "The folder you chose"),
                            MessageStyle::Exclamation);
        windowClosing_ = window_.closing();
        return go(ResolveFolder);
    }
    folder_ = std::move(folder);
    return go(ReadFolderPath);
}

WindowlessRun::StepResult WindowlessRun::readFolderPath() {
    if (!folder_)
        return go(FixLastIndex);
    if (target_ == WindowlessTarget::ChosenFolder)
        readFolderIds();
    auto path = folder_->folderPath();
    if (!path)
        return fail(path.failure(), FixLastIndex);
    folderPath_ = std::move(path.value());
    return go(FixLastIndex);
}

WindowlessRun::StepResult WindowlessRun::fixLastIndex() {
    // From here on the queue is walked, and the run ends with "Done.".
    recorder_.begin();
    closingMessage_ = {"Done.", MessageStyle::Plain};
    if (auto begun = beginWalk(); !begun)
        return fail(begun.failure(), YieldToWindow);
    return go(YieldToWindow);
}

WindowlessRun::StepResult WindowlessRun::showProgressValue() {
    // A file without a contact needs no Outlook to be reported.
    const int next = outlookLost_ && !fileFailure_ ? ReachOutlookAgain : OpenContact;
    auto percent = progressValue();
    if (!percent)
        return fail(percent.failure(), next);
    window_.setProgressValue(percent.value());
    return go(next);
}

// Wanted only if Outlook goes away mid-run, so a failure here is said only
// then, when the folder cannot be found again without them.
void WindowlessRun::readFolderIds() {
    auto entryId = folder_->entryId();
    auto storeId = folder_->storeId();
    if (!entryId || !storeId) {
        folderIdFailure_ = entryId ? storeId.failure() : entryId.failure();
        return;
    }
    folderEntryId_ = std::move(entryId.value());
    folderStoreId_ = std::move(storeId.value());
}

// The contact that was at hand when Outlook went away has been reported;
// this one goes to a fresh Outlook, into the same folder. When Outlook
// cannot be reached again, the run stops here, since every later contact
// would fail the same way: the contact at hand is reported and the rest of
// its file recorded as not tried.
WindowlessRun::StepResult WindowlessRun::reachOutlookAgain() {
    releaseContact();
    folder_.reset();
    session_.reset();
    SessionOutcome reached = outlook_.createSession();
    if (!reached.session) {
        abandoned_ = true;
        return fail(reached.session.failure(), ReleaseContact);
    }
    session_ = std::move(reached.session.value());
    outlookLost_ = false;
    return findFolderAgain();
}

WindowlessRun::StepResult WindowlessRun::findFolderAgain() {
    if (target_ == WindowlessTarget::DefaultContacts) {
        // As at 206: Save needs no folder, so the run goes on without one.
        auto folder = session_->defaultContactsFolder();
        if (!folder)
            return fail(folder.failure(), OpenContact);
        folder_ = std::move(folder.value());
        return go(OpenContact);
    }
    if (folderIdFailure_) {
        abandoned_ = true;
        return fail(*folderIdFailure_, ReleaseContact);
    }
    auto folder = session_->folderFromId(folderEntryId_, folderStoreId_);
    if (!folder) {
        abandoned_ = true;
        return fail(folder.failure(), ReleaseContact);
    }
    folder_ = std::move(folder.value());
    return go(OpenContact);
}

WindowlessRun::StepResult WindowlessRun::finishContact() {
    if (!abandoned_)
        return go(nextContactOfFile() ? ShowProgressText : AdvanceIndex);
    // Nothing was imported after this, so no "Done." follows the report.
    recorder_.finishContact(currentPath_, currentContact());
    closingMessage_.reset();
    recorder_.startContact();
    recorder_.finishUnfinished(currentPath_, contacts_, contactAt_ + 1);
    splitter_.releaseCardFiles();
    return go(ReleaseOutlook);
}

WindowlessRun::StepResult WindowlessRun::openContact() {
    if (fileFailure_)
        return fail(*fileFailure_, ReleaseContact);
    auto item = session_->openSharedItem(contactPath());
    if (!item)
        return fail(item.failure(), ReleaseContact);
    item_ = std::move(item.value());
    return go(StoreContact);
}

// Each way stores the contact exactly once: the item Outlook opened is saved
// into the default folder, or moved and only the moved item saved. After a
// failure nothing is tried again, so no contact is stored twice.
WindowlessRun::StepResult WindowlessRun::storeContact() {
    if (target_ == WindowlessTarget::DefaultContacts) {
        auto saved = item_->save();
        if (!saved)
            return fail(saved.failure(), ReleaseContact);
        recorder_.noteSaved(folderPath_);
        return go(ReadEntryId);
    }
    auto moved = item_->move(*folder_);
    if (!moved)
        return fail(moved.failure(), ReleaseContact);
    movedItem_ = std::move(moved.value());
    return go(SaveMovedContact);
}

WindowlessRun::StepResult WindowlessRun::saveMovedContact() {
    auto saved = movedItem_->save();
    if (!saved)
        return fail(saved.failure(), ReleaseContact);
    recorder_.noteSaved(folderPath_);
    return go(ReadEntryId);
}

// The entry ID lets the record lead back to the very item stored; a contact
// whose ID cannot be read is stored all the same.
WindowlessRun::StepResult WindowlessRun::readEntryId() {
    OutlookContactItem& stored = movedItem_ ? *movedItem_ : *item_;
    auto entryId = stored.entryId();
    if (!entryId)
        return fail(entryId.failure(), ReleaseContact);
    recorder_.noteEntryId(entryId.value());
    return go(ReleaseContact);
}

WindowlessRun::StepResult WindowlessRun::advanceIndex() {
    auto more = advanceRow();
    if (!more)
        return fail(more.failure(), ReleaseOutlook);
    return go(more.value() ? YieldToWindow : ReleaseOutlook);
}

WindowlessRun::StepResult WindowlessRun::showClosingMessage() {
    if (closingMessage_)
        window_.showMessage(closingMessage_->text, closingMessage_->style);
    return go(End);
}

// Both references go together: an Exchange mailbox counts every item a
// client holds open, and a run of thousands of contacts would run out.
void WindowlessRun::releaseContact() {
    movedItem_.reset();
    item_.reset();
}

} // namespace quorvane
