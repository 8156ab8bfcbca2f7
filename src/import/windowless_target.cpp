#include "import/windowless_target.h"

namespace quorvane {

namespace {

// Step numbers as the error report shows them; docs/windowless-steps.md
// says what each does and where the run goes on after its failure. Step 250,
// what the folder holds for the duplicate check, is never reported: a
// refusal is a question to the user instead.
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

constexpr SessionSteps WindowlessSteps{.fixLastIndex = FixLastIndex,
                                       .readPath = ReadPath,
                                       .progressValue = ShowProgressValue,
                                       .openContact = OpenContact,
                                       .advance = AdvanceIndex};

} // namespace

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

const SessionSteps& WindowlessTarget::steps() const {
    return WindowlessSteps;
}

std::optional<ImportTarget::Ready> WindowlessTarget::prepare(RunContext& run) {
    if (!connection_.open(run))
        return std::nullopt;
    readFolderFacts(run);
    if (!readKnownContacts(run))
        return std::nullopt;
    // Only what a check learned of this very version applies; without an
    // answer, the table as built.
    auto version = connection_.session().outlookVersion();
    return Ready{.readIdentities = checkDuplicates_,
                 .addressReadsRefused = addressReadsRefused_,
                 .outlookVersion = version ? std::move(*version) : std::string()};
}

void WindowlessTarget::readFolderFacts(RunContext& run) {
    OutlookFolder* folder = connection_.folder();
    if (!folder)
        return;
    if (auto name = folder->name())
        folderName_ = std::move(name.value());
    if (auto storeId = folder->storeId())
        storeId_ = std::move(storeId.value());
    auto path = folder->folderPath();
    if (!path) {
        report(run, ReadFolderPath, path.failure());
        return;
    }
    folderPath_ = std::move(path.value());
}

// Read once, in one pass, and kept in memory: checking a contact then costs
// Outlook nothing. A refusal is never taken for an empty folder, which would
// store every contact again: the user decides.
bool WindowlessTarget::readKnownContacts(RunContext& run) {
    OutlookFolder* folder = connection_.folder();
    Outcome<std::vector<StoredContactRow>> rows =
        folder ? folder->readContacts()
               : Outcome<std::vector<StoredContactRow>>(
                     Failure{"The Contacts folder could not be found."});
    if (rows) {
        for (const StoredContactRow& row : rows.value())
            known_.add(row);
        return true;
    }
    const std::string name = folderName_.empty() ? std::string("Contacts") : folderName_;
    if (!run.screen().ask(DuplicateCheckRefusedQuestion(name, rows.failure().description)))
        return false;
    checkDuplicates_ = false;
    addressReadsRefused_ = rows.failure().refused;
    return true;
}

ContactOutcome WindowlessTarget::store(const ContactAtHand& contact, RunContext& run) {
    const FileContact& card = contact.card;
    // What the folder's table would list of the card once stored.
    const StoredContactRow asStored{{},
                                    card.named ? card.name : std::string(),
                                    card.identity.emails,
                                    card.identity.phones,
                                    card.identity.company};
    if (checkDuplicates_)
        if (auto match = known_.match(asStored))
            return ContactOutcome::with(ContactResult::Duplicate, *match);
    if (!connection_.reachAgainIfLost(run))
        return connection_.abandoned() ? ContactOutcome::ended() : ContactOutcome::notStored();
    ContactOutcome outcome = saveContact(card, run);
    releaseContact();
    // Stored by this run counts as held: the same file queued twice, or a
    // person twice in one export, is stored once; also when its entry ID
    // could not be read (its repeat is then recorded without one).
    if (checkDuplicates_ && outcome.result == ContactResult::Saved) {
        StoredContactRow stored = asStored;
        stored.entryId = outcome.entryId;
        known_.add(stored);
    }
    return outcome;
}

// The item Outlook opened is saved into the default folder, or moved and
// only the moved item saved. After a failure nothing is tried again, so no
// contact is stored twice.
ContactOutcome WindowlessTarget::saveContact(const FileContact& contact, RunContext& run) {
    ContactOutcome outcome;
    auto item = connection_.session().openSharedItem(contact.path);
    if (!item) {
        report(run, OpenContact, item.failure());
        return outcome;
    }
    item_ = std::move(item.value());
    if (destination_ == WindowlessDestination::DefaultContacts) {
        outcome.carried = run.carryRest(contact, *item_);
        if (auto saved = item_->save(); !saved) {
            report(run, StoreContact, saved.failure());
            return outcome;
        }
    } else {
        auto moved = item_->move(*connection_.folder());
        if (!moved) {
            report(run, StoreContact, moved.failure());
            return outcome;
        }
        movedItem_ = std::move(moved.value());
        outcome.carried = run.carryRest(contact, *movedItem_);
        if (auto saved = movedItem_->save(); !saved) {
            report(run, SaveMovedContact, saved.failure());
            return outcome;
        }
    }
    outcome.result = ContactResult::Saved;
    outcome.folder = folderPath_;
    // The entry ID lets the record lead back to the very item stored; a
    // contact whose ID cannot be read is stored all the same.
    OutlookContactItem& stored = movedItem_ ? *movedItem_ : *item_;
    auto entryId = stored.entryId();
    if (!entryId) {
        report(run, ReadEntryId, entryId.failure());
        return outcome;
    }
    outcome.entryId = std::move(entryId.value());
    // When Outlook stored it, by Outlook's own clock: taking the run back
    // keeps a contact changed after that.
    outcome.storeId = storeId_;
    if (auto storedAt = stored.lastModificationTime())
        outcome.storedAt = storedAt.value();
    return outcome;
}

bool WindowlessTarget::report(RunContext& run, StepNumber step, const Failure& failure) {
    return run.report(step, connection_.explained(failure));
}

void WindowlessTarget::releaseContact() {
    movedItem_.reset();
    item_.reset();
}

void WindowlessTarget::release() {
    releaseContact();
    connection_.release();
}

// "Done." first, as every run ends; then what became of the contacts.
std::string WindowlessTarget::closingSummary(const ResultCount& count,
                                             const std::optional<std::string>& recordPath) const {
    std::string text = "Done.\r\n\r\n";
    text.append(CountOf(count(ContactResult::Saved), "contact")).append(" stored");
    if (!folderPath_.empty())
        text.append(" in ").append(folderPath_);
    text.append(".\r\n");
    text.append(CountOf(count(ContactResult::Duplicate), "contact"))
        .append(" already there and skipped.\r\n");
    text.append(CountOf(count(ContactResult::Reported) + count(ContactResult::Skipped), "contact"))
        .append(" reported, not stored.");
    if (recordPath)
        text.append("\r\n\r\nThe record of this run: ").append(*recordPath);
    return text;
}

} // namespace quorvane
