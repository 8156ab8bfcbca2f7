#include "import/windowless_run.h"

#include <exception>

namespace quorvane {

namespace {

// Step numbers as the error report shows them; docs/windowless-steps.md
// says what each does and where the run goes on after its failure.
constexpr StepNumber ReachOutlook{204};
constexpr StepNumber ResolveFolder{206};
constexpr StepNumber ReadFolderPath{208};
constexpr StepNumber FixLastIndex{210};
constexpr StepNumber ReadPath{214};
constexpr StepNumber ShowProgressValue{220};
// A file that yields no contact, or a contact that cannot go to Outlook, is
// reported here too, where the contact would have been opened.
constexpr StepNumber OpenContact{222};
constexpr StepNumber StoreContact{224};
constexpr StepNumber SaveMovedContact{226};
constexpr StepNumber ReadEntryId{228};
constexpr StepNumber AdvanceIndex{234};
// Between 220 and 222, only after Outlook went away.
constexpr StepNumber ReachOutlookAgain{248};
// Step 250, what the folder holds for the duplicate check, is never
// reported: a refusal is a question to the user instead.

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

std::string DuplicateCheckRefusedQuestion(std::string_view folderName,
                                          std::string_view outlookWords) {
    std::string text = "Outlook did not let Quorvane read which contacts \"";
    text.append(folderName)
        .append("\" holds already, so contacts that are there cannot be told from new ones "
                "and may be stored twice.\r\n\r\nOutlook said: ")
        .append(outlookWords)
        .append("\r\n\r\nImport anyway, without the duplicate check? Choose No to stop "
                "without importing anything.");
    return text;
}

WindowlessRun::WindowlessRun(const ImportQueue& queue, WindowlessRunServices services,
                             WindowlessTarget target)
    : outlook_(services.outlook), target_(target), screen_(services.window),
      recorder_(services.storage, services.window),
      walk_(queue, services.storage, services.codePages, recorder_) {}

RunEnd WindowlessRun::run() {
    try {
        importQueue();
    } catch (const std::exception& fault) {
        // Nothing here is meant to throw; should it all the same (the memory
        // ran out), the fault is said and the run ends as any other.
        screen_.show(fault.what(), MessageStyle::Exclamation);
        screen_.restoreAtRest();
    }
    releaseOutlook();
    walk_.recordUnfinished();
    screen_.announceEnd();
    return screen_.closing() ? RunEnd::WindowClosed : RunEnd::Finished;
}

// 200 to 246 in order; docs/windowless-steps.md has the table.
void WindowlessRun::importQueue() {
    if (walk_.queueEmpty()) {
        screen_.announceEnd();
        screen_.show("No files added.", MessageStyle::Plain);
        return;
    }
    screen_.window().setPointer(PointerKind::Hourglass);
    if (prepare())
        walkQueue();
    if (!screen_.closing())
        finish();
}

// Once per run: a session held for every contact costs Outlook far less than
// reaching it anew per file, and an Outlook that is missing is said once.
bool WindowlessRun::prepare() {
    SessionOutcome reached = outlook_.createSession();
    if (!reached.session) {
        // Nothing can be imported without Outlook, so the run ends here
        // rather than report every file.
        if (reached.noDesktopOutlook)
            closingMessage_ = {NoDesktopOutlookMessage(reached.session.failure().description),
                               MessageStyle::Exclamation};
        else
            report(ReachOutlook, reached.session.failure());
        return false;
    }
    session_ = std::move(reached.session.value());
    if (!resolveFolder())
        return false;
    readFolderPath();
    if (!readKnownContacts())
        return false;
    // From here on the queue is walked, and the run ends with "Done.".
    recorder_.begin();
    closingMessage_ = {"Done.", MessageStyle::Plain};
    closingMessage_->summarised = true;
    if (auto begun = walk_.begin(); !begun)
        return report(FixLastIndex, begun.failure());
    return !screen_.closing();
}

bool WindowlessRun::resolveFolder() {
    if (target_ == WindowlessTarget::ChosenFolder)
        return chooseFolder();
    // Save stores in the default Contacts folder without being told; the
    // folder is only wanted for its path in the record, so the run goes on
    // without it.
    auto folder = session_->defaultContactsFolder();
    if (!folder)
        return report(ResolveFolder, folder.failure());
    folder_ = std::move(folder.value());
    return true;
}

// The chooser comes back until the user picks a contacts folder or cancels:
// a Move into a mail folder would put contacts where no address book finds
// them.
bool WindowlessRun::chooseFolder() {
    for (;;) {
        auto picked = session_->pickFolder();
        // Outlook's chooser is modal to Outlook, not to this window, which
        // goes on handling its events meanwhile.
        if (!screen_.stillOpen())
            return false;
        if (!picked) {
            report(ResolveFolder, picked.failure());
            return false;
        }
        std::unique_ptr<OutlookFolder> folder = std::move(picked.value());
        if (!folder)
            return false; // Cancel: nothing is imported, nothing said
        auto itemType = folder->defaultItemType();
        if (!itemType) {
            if (!report(ResolveFolder, itemType.failure()))
                return false;
            continue;
        }
        if (itemType.value() == OutlookItemType::Contact) {
            folder_ = std::move(folder);
            return true;
        }
        auto name = folder->name();
        if (!screen_.show(NotAContactsFolderMessage(name ? name.value() : "The folder you chose"),
                          MessageStyle::Exclamation))
            return false;
    }
}

void WindowlessRun::readFolderPath() {
    if (!folder_)
        return;
    if (auto name = folder_->name())
        folderName_ = std::move(name.value());
    if (auto storeId = folder_->storeId())
        storeId_ = std::move(storeId.value());
    if (target_ == WindowlessTarget::ChosenFolder)
        readFolderIds();
    auto path = folder_->folderPath();
    if (!path) {
        report(ReadFolderPath, path.failure());
        return;
    }
    folderPath_ = std::move(path.value());
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

// Read once, in one pass, and kept in memory: checking a contact then costs
// Outlook nothing. A refusal is never taken for an empty folder, which would
// store every contact again: the user decides.
bool WindowlessRun::readKnownContacts() {
    Outcome<std::vector<StoredContactRow>> rows =
        folder_ ? folder_->readContacts()
                : Outcome<std::vector<StoredContactRow>>(
                      Failure{"The Contacts folder could not be found."});
    if (rows) {
        for (const StoredContactRow& row : rows.value())
            known_.add(row);
        walk_.readIdentities();
        return true;
    }
    const std::string name = folderName_.empty() ? std::string("Contacts") : folderName_;
    const bool importAnyway =
        screen_.window().askYesNo(DuplicateCheckRefusedQuestion(name, rows.failure().description));
    if (!screen_.stillOpen() || !importAnyway)
        return false;
    checkDuplicates_ = false;
    return true;
}

bool WindowlessRun::isDuplicate(const FileContact& contact) {
    if (!checkDuplicates_ || contact.failure)
        return false;
    const auto match = known_.match(contact.name, contact.identity.emails, contact.identity.phones);
    if (!match)
        return false;
    recorder_.noteDuplicate(*match);
    return true;
}

// Stored by this run counts as held: the same file queued twice, or a person
// twice in one export, is stored once.
void WindowlessRun::rememberStored(const FileContact& contact, const std::string& entryId) {
    if (!checkDuplicates_)
        return;
    known_.add({entryId, contact.name, contact.identity.emails, contact.identity.phones});
}

bool WindowlessRun::walkQueue() {
    for (;;) {
        if (!screen_.yield())
            return false;
        if (auto read = walk_.readRow(); !read) {
            if (!report(ReadPath, read.failure()))
                return false;
        } else if (!importFile()) {
            return false;
        }
        auto more = walk_.advance();
        if (!more)
            return report(AdvanceIndex, more.failure());
        if (!more.value())
            return true;
    }
}

// Every contact of the row's file, each a cycle from the progress text on.
bool WindowlessRun::importFile() {
    const KeepGoing keepReading = [this] { return screen_.yield(); };
    // A file of gigabytes takes a while to read: the bar names it first.
    screen_.showProgressText(walk_.progressText());
    walk_.openFile(keepReading);
    do {
        if (screen_.closing())
            return false;
        screen_.showProgressText(walk_.progressText());
        importContact();
        if (screen_.closing())
            return false;
        // Nothing is imported after this, so no "Done." follows the report.
        if (abandoned_) {
            closingMessage_.reset();
            return false;
        }
    } while (walk_.nextContact(keepReading) && screen_.yield());
    return !screen_.closing();
}

void WindowlessRun::importContact() {
    const FileContact* contact = walk_.contact();
    // A contact that cannot be opened needs no Outlook to be reported.
    const bool reachAgain = outlookLost_ && !contact->failure;
    if (auto percent = walk_.progressValue(); !percent) {
        if (!report(ShowProgressValue, percent.failure()))
            return;
    } else {
        screen_.window().setProgressValue(percent.value());
    }
    if (isDuplicate(*contact))
        return;
    if (!reachAgain || reachOutlookAgain())
        storeContact(*contact);
    releaseContact();
}

// Each way stores the contact exactly once: the item Outlook opened is saved
// into the default folder, or moved and only the moved item saved. After a
// failure nothing is tried again, so no contact is stored twice.
void WindowlessRun::storeContact(const FileContact& contact) {
    if (contact.failure) {
        report(OpenContact, *contact.failure);
        return;
    }
    auto item = session_->openSharedItem(contact.path);
    if (!item) {
        report(OpenContact, item.failure());
        return;
    }
    item_ = std::move(item.value());
    if (target_ == WindowlessTarget::DefaultContacts) {
        if (auto saved = item_->save(); !saved) {
            report(StoreContact, saved.failure());
            return;
        }
    } else {
        auto moved = item_->move(*folder_);
        if (!moved) {
            report(StoreContact, moved.failure());
            return;
        }
        movedItem_ = std::move(moved.value());
        if (auto saved = movedItem_->save(); !saved) {
            report(SaveMovedContact, saved.failure());
            return;
        }
    }
    recorder_.noteSaved(folderPath_);
    // The entry ID lets the record lead back to the very item stored; a
    // contact whose ID cannot be read is stored all the same.
    OutlookContactItem& stored = movedItem_ ? *movedItem_ : *item_;
    auto entryId = stored.entryId();
    if (!entryId) {
        report(ReadEntryId, entryId.failure());
        return;
    }
    recorder_.noteEntryId(entryId.value());
    // When Outlook stored it, by Outlook's own clock: taking the run back
    // keeps a contact changed after that.
    auto storedAt = stored.lastModificationTime();
    recorder_.noteStoredAt(storeId_, storedAt ? std::optional(storedAt.value()) : std::nullopt);
    rememberStored(contact, entryId.value());
}

// The contact that was at hand when Outlook went away has been reported;
// this one goes to a fresh Outlook, into the same folder. When Outlook
// cannot be reached again, the run stops here, since every later contact
// would fail the same way: the contact at hand is reported and the rest of
// the queue recorded as not tried.
bool WindowlessRun::reachOutlookAgain() {
    releaseOutlook();
    SessionOutcome reached = outlook_.createSession();
    if (!reached.session) {
        abandoned_ = true;
        report(ReachOutlookAgain, reached.session.failure());
        return false;
    }
    session_ = std::move(reached.session.value());
    outlookLost_ = false;
    return findFolderAgain();
}

bool WindowlessRun::findFolderAgain() {
    if (target_ == WindowlessTarget::DefaultContacts) {
        // As at 206: Save needs no folder, so the run goes on without one.
        auto folder = session_->defaultContactsFolder();
        if (!folder)
            return report(ReachOutlookAgain, folder.failure());
        folder_ = std::move(folder.value());
        return true;
    }
    if (folderIdFailure_) {
        abandoned_ = true;
        report(ReachOutlookAgain, *folderIdFailure_);
        return false;
    }
    auto folder = session_->folderFromId(folderEntryId_, folderStoreId_);
    if (!folder) {
        abandoned_ = true;
        report(ReachOutlookAgain, folder.failure());
        return false;
    }
    folder_ = std::move(folder.value());
    return true;
}

// 236 to 244.
void WindowlessRun::finish() {
    releaseOutlook();
    screen_.restoreAtRest();
    screen_.announceEnd();
    if (closingMessage_)
        screen_.show(closingMessage_->summarised ? closingSummary() : closingMessage_->text,
                     closingMessage_->style);
}

// "Done." first, as every run ends; then what became of the contacts.
std::string WindowlessRun::closingSummary() const {
    const ContactRecorder::Tally& tally = recorder_.tally();
    const auto count = [](std::size_t n, std::string_view one) {
        return std::to_string(n) + " " + std::string(one) + (n == 1 ? "" : "s");
    };
    std::string text = "Done.\r\n\r\n";
    text.append(count(tally.saved, "contact")).append(" stored");
    if (!folderPath_.empty())
        text.append(" in ").append(folderPath_);
    text.append(".\r\n");
    text.append(count(tally.duplicates, "contact")).append(" already there and skipped.\r\n");
    text.append(count(tally.reported + tally.skipped, "contact")).append(" reported, not stored.");
    if (const auto record = recorder_.path())
        text.append("\r\n\r\nThe record of this run: ").append(*record);
    return text;
}

// Every reference into that Outlook is dead now. Said once, in words that
// tell the user what happened to the contact at hand; the next contact
// reaches Outlook afresh.
bool WindowlessRun::report(StepNumber step, Failure failure) {
    if (failure.connectionLost && session_ && !outlookLost_) {
        outlookLost_ = true;
        failure.description = OutlookWentAwayMessage(failure.description);
    }
    recorder_.noteReport(step, failure);
    return screen_.report(step, failure);
}

// Both references go together: an Exchange mailbox counts every item a
// client holds open, and a run of thousands of contacts would run out.
void WindowlessRun::releaseContact() {
    movedItem_.reset();
    item_.reset();
}

void WindowlessRun::releaseOutlook() {
    releaseContact();
    folder_.reset();
    session_.reset();
}

} // namespace quorvane
