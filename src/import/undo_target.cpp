#include "import/undo_target.h"

#include "text/backslash_path.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <set>

namespace quorvane {

namespace {

// Step 300, reading the run's record, says its failure in a box of its own.
constexpr StepNumber ReachOutlook{302};
constexpr StepNumber FindContact{304};
constexpr StepNumber ReadChangeTime{306};
constexpr StepNumber DeleteContact{308};
constexpr StepNumber FindFolder{310};

// The record keeps whole seconds, rounded, and Outlook's clock finer ones:
// a contact counts as changed only when its time is more than a second and a
// half after the recorded one, half a second of rounding and a second of
// Outlook's own stamping. An edit within that time after the import is not
// seen; the user has just asked to take the import back.
constexpr double Tolerance = 1.5 / 86400.0;

// How long the folder's table of change times is trusted before it is read
// again (a few dozen calls for ten thousand contacts).
constexpr std::chrono::seconds ChangeTimesFreshFor{10};

std::string field(const std::vector<std::string>& fields, RecordColumn column) {
    const auto at = static_cast<std::size_t>(column);
    return at < fields.size() ? fields[at] : std::string();
}

} // namespace

std::vector<RecordedContact> ContactsToTakeBack(const RunRecordText& record) {
    // A contact the undo record has an answer for is done with; a report
    // there leaves it to be tried again.
    std::set<std::string> handled;
    for (const std::string& line : record.undoLines) {
        const std::vector<std::string> fields = ParseCsvLine(line);
        const std::string result = field(fields, RecordColumn::Result);
        if (result == ResultText(ContactResult::Deleted) ||
            result == ResultText(ContactResult::KeptChanged) ||
            result == ResultText(ContactResult::NotFound))
            handled.insert(field(fields, RecordColumn::EntryId));
    }
    std::vector<RecordedContact> contacts;
    for (std::size_t at = 1; at < record.lines.size(); ++at) {
        const std::vector<std::string> fields = ParseCsvLine(record.lines[at]);
        const std::string entryId = field(fields, RecordColumn::EntryId);
        if (field(fields, RecordColumn::Result) != ResultText(ContactResult::Saved) ||
            entryId.empty() || handled.contains(entryId))
            continue;
        RecordedContact contact;
        contact.file = field(fields, RecordColumn::File);
        contact.number = std::strtoul(field(fields, RecordColumn::Contact).c_str(), nullptr, 10);
        contact.name = field(fields, RecordColumn::Name);
        contact.entryId = entryId;
        contact.folder = field(fields, RecordColumn::Folder);
        contact.storeId = field(fields, RecordColumn::StoreId);
        contact.storedAt = field(fields, RecordColumn::StoredAt);
        contacts.push_back(std::move(contact));
    }
    return contacts;
}

namespace {

bool storedWithEntryIds(const RunRecordText& record) {
    return std::any_of(record.lines.begin() + (record.lines.empty() ? 0 : 1), record.lines.end(),
                       [](const std::string& line) {
                           const std::vector<std::string> fields = ParseCsvLine(line);
                           return field(fields, RecordColumn::Result) ==
                                      ResultText(ContactResult::Saved) &&
                                  !field(fields, RecordColumn::EntryId).empty();
                       });
}

} // namespace

// The newest run that stored contacts it can lead back to: a run through
// item windows, or a second run that found everything there already, has
// nothing to take back and does not hide the import before it.
std::optional<RunRecordText> UndoTarget::readLastImport(RunContext& run) {
    const auto unreadable = [&run](const Failure& failure) {
        run.closeWith("The record of the last import could not be read, so nothing was "
                      "deleted.\r\n\r\n" +
                          failure.description,
                      MessageStyle::Exclamation);
        return std::nullopt;
    };
    auto paths = storage_.listRunRecords();
    if (!paths)
        return unreadable(paths.failure());
    std::sort(paths.value().begin(), paths.value().end(),
              [](const std::string& a, const std::string& b) { return NewerRecord(a, b); });
    for (const std::string& path : paths.value()) {
        auto record = storage_.readRunRecord(path);
        if (!record)
            return unreadable(record.failure());
        if (storedWithEntryIds(record.value()))
            return std::move(record.value());
    }
    run.closeWith(paths.value().empty()
                      ? "There is no import to undo."
                      : "The last import, of " + RecordMadeAt(paths.value().front()) +
                            ", stored no contact that Quorvane can take back: Start Importing "
                            "does not learn where Outlook stored each contact, only the imports "
                            "without windows do. Nothing was deleted.",
                  MessageStyle::Plain);
    return std::nullopt;
}

std::optional<RecordedRun> UndoTarget::prepare(RunContext& run) {
    const std::optional<RunRecordText> record = readLastImport(run);
    if (!record)
        return std::nullopt;
    const std::string when = RecordMadeAt(record->path);
    RecordedRun recorded{record->path, ContactsToTakeBack(*record)};
    const std::vector<RecordedContact>& contacts = recorded.contacts;
    if (contacts.empty()) {
        run.closeWith("The last import, of " + when + ", has been undone already.",
                      MessageStyle::Plain);
        return std::nullopt;
    }
    const std::string folder =
        contacts.front().folder.empty() ? std::string("Outlook") : contacts.front().folder;
    const std::string count = contacts.size() == 1 ? std::string("the contact")
                                                   : "the " + CountOf(contacts.size(), "contact");
    if (!run.screen().ask(
            "Delete " + count + " that the import of " + when + " stored in " + folder +
            "?\r\n\r\nThey go to Outlook's Deleted Items, from where they can be brought back. "
            "A contact changed since the import is kept."))
        return std::nullopt;
    run.screen().showHourglass();
    session_ = run.reachOutlook(outlook_, ReachOutlook);
    if (!session_)
        return std::nullopt;
    return recorded;
}

ContactOutcome UndoTarget::keep(const RecordedContact& contact, ContactResult why) {
    (why == ContactResult::KeptMoved ? keptMoved_ : keptChanged_).push_back(contact.name);
    return ContactOutcome::with(why);
}

// Found again by its IDs; deleted only when it is where the import put it
// and nobody changed it since, and never when that cannot be told. The
// change time is the item's own, read right before the delete; the folder's
// table only spares the calls for a contact it shows changed.
ContactOutcome UndoTarget::takeBack(const RecordedContact& contact, RunContext& run) {
    const std::optional<StoredTime> recorded = StoredTimeFromText(contact.storedAt);
    std::optional<double> storedAt;
    if (recorded)
        storedAt =
            recorded->utc ? recorded->oleDate : session_->utcFromLocalTime(recorded->oleDate);
    if (!storedAt) {
        ContactOutcome kept = keep(contact, ContactResult::KeptChanged);
        kept.note = "When the import stored it was not recorded, so a change since cannot be told.";
        return kept;
    }
    const auto changedSince = [&](double changed) { return changed > *storedAt + Tolerance; };
    if (tableRead_ && clock_.now() - tableReadAt_ >= ChangeTimesFreshFor)
        readFolderTable();
    if (const auto listed = changeTimes_.find(contact.entryId);
        listed != changeTimes_.end() && changedSince(listed->second))
        return keep(contact, ContactResult::KeptChanged);
    auto item = session_->itemFromId(contact.entryId, contact.storeId);
    if (!item) {
        if (item.failure().notFound)
            return ContactOutcome::with(ContactResult::NotFound);
        run.report(FindContact, item.failure());
        return ContactOutcome::notStored();
    }
    auto inFolder = inRecordedFolder(contact, *item.value());
    if (!inFolder) {
        run.report(FindFolder, inFolder.failure());
        return ContactOutcome::notStored();
    }
    if (!inFolder.value())
        return keep(contact, ContactResult::KeptMoved);
    auto changed = item.value()->lastModificationTime();
    if (!changed) {
        run.report(ReadChangeTime, changed.failure());
        return ContactOutcome::notStored();
    }
    if (changedSince(changed.value()))
        return keep(contact, ContactResult::KeptChanged);
    if (auto removed = item.value()->remove(); !removed) {
        run.report(DeleteContact, removed.failure());
        return ContactOutcome::notStored();
    }
    return ContactOutcome::with(ContactResult::Deleted);
}

// The table of the folder the import stored into answers for every contact
// at once; until it is read, and whenever Outlook refuses it, the item's own
// folder (Parent) answers for that one. The first contact found there makes
// that folder the one whose table is read.
Outcome<bool> UndoTarget::inRecordedFolder(const RecordedContact& contact,
                                           OutlookStoredItem& item) {
    if (tableRead_)
        return changeTimes_.contains(contact.entryId);
    auto parent = item.folder();
    if (!parent)
        return parent.failure();
    auto path = parent.value()->folderPath();
    if (!path)
        return path.failure();
    if (path.value() != recordedFolder(contact))
        return false;
    if (!folderFound_) {
        folderFound_ = true;
        folder_ = std::move(parent.value());
        readFolderTable();
    }
    return true;
}

// A run that could not name its folder stored into the default Contacts
// folder (Save stores there without being told).
const std::string& UndoTarget::recordedFolder(const RecordedContact& contact) {
    if (!contact.folder.empty())
        return contact.folder;
    if (!defaultFolderPath_) {
        auto folder = session_->defaultContactsFolder();
        auto path = folder ? folder.value()->folderPath() : Outcome<std::string>(folder.failure());
        defaultFolderPath_ = path ? path.value() : std::string();
    }
    return *defaultFolderPath_;
}

// Read in one pass, a few dozen calls for ten thousand contacts, and again
// once it is older than ChangeTimesFreshFor: a contact changed or moved
// while a long undo goes on is then still seen.
void UndoTarget::readFolderTable() {
    tableRead_ = false;
    changeTimes_.clear();
    auto rows = folder_->readChangeTimes();
    tableReadAt_ = clock_.now();
    if (!rows)
        return;
    for (StoredChangeTime& row : rows.value())
        changeTimes_.emplace(std::move(row.entryId), row.lastModified);
    tableRead_ = true;
}

void UndoTarget::release() {
    folder_.reset();
    session_.reset();
}

std::string UndoTarget::closingSummary(const ResultCount& count,
                                       const std::optional<std::string>& recordPath) const {
    std::string text = "Done.\r\n\r\n";
    text.append(CountOf(count(ContactResult::Deleted), "contact"))
        .append(" deleted: they are in Outlook's Deleted Items.");
    // Named, so the user can look at each: at most ten, then how many more.
    const auto kept = [&text](const std::vector<std::string>& names, std::string_view why) {
        if (names.empty())
            return;
        text.append("\r\n").append(CountOf(names.size(), "contact")).append(" kept, ").append(why);
        for (std::size_t at = 0; at < names.size() && at < 10; ++at)
            text.append(at ? ", " : " ").append(names[at]);
        if (names.size() > 10)
            text.append(" and ").append(std::to_string(names.size() - 10)).append(" more");
        text.append(".");
    };
    kept(keptChanged_, "changed after the import:");
    kept(keptMoved_, "no longer in the folder the import stored them in:");
    if (const std::size_t gone = count(ContactResult::NotFound); gone > 0)
        text.append("\r\n").append(CountOf(gone, "contact")).append(" no longer in Outlook.");
    if (const std::size_t reported = count(ContactResult::Reported); reported > 0)
        text.append("\r\n").append(CountOf(reported, "contact")).append(" reported, not deleted.");
    if (recordPath)
        text.append("\r\n\r\nThe record of this undo: ").append(*recordPath);
    return text;
}

} // namespace quorvane
