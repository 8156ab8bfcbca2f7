#include "import/undo_run.h"

#include "import/windowless_run.h"
#include "text/backslash_path.h"

#include <chrono>
#include <exception>
#include <optional>
#include <set>

namespace quorvane {

namespace {

// Step 300, reading the run's record, says its failure in a box of its own.
constexpr StepNumber ReachOutlook{302};
constexpr StepNumber FindContact{304};
constexpr StepNumber ReadChangeTime{306};
constexpr StepNumber DeleteContact{308};

// Outlook stamps a save to the second at best; a contact counts as changed
// only when its time is later than that.
constexpr double Tolerance = 1.5 / 86400.0;

// How long the folder's table of change times is trusted before it is read
// again (a few dozen calls for ten thousand contacts).
constexpr std::chrono::seconds ChangeTimesFreshFor{10};

// "2026-12-08 14-03-27.csv" as a person reads it: "2026-12-08 14:03:27".
std::string whenOf(const std::string& recordPath) {
    std::string name(GetFileName(recordPath));
    if (name.ends_with(".csv"))
        name.resize(name.size() - 4);
    if (name.size() >= 19 && name[13] == '-' && name[16] == '-')
        name[13] = name[16] = ':';
    return name;
}

std::string field(const std::vector<std::string>& fields, RecordColumn column) {
    const auto at = static_cast<std::size_t>(column);
    return at < fields.size() ? fields[at] : std::string();
}

} // namespace

UndoRun::UndoRun(UndoRunServices services)
    : outlook_(services.outlook), storage_(services.storage), screen_(services.window),
      recorder_(services.storage, services.window) {}

RunEnd UndoRun::run() {
    try {
        undo();
    } catch (const std::exception& fault) {
        screen_.show(fault.what(), MessageStyle::Exclamation);
        screen_.restoreAtRest();
    }
    screen_.announceEnd();
    return screen_.closing() ? RunEnd::WindowClosed : RunEnd::Finished;
}

std::vector<UndoRun::StoredContact> UndoRun::contactsToTakeBack(const RunRecordText& record) {
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
    std::vector<StoredContact> contacts;
    for (std::size_t at = 1; at < record.lines.size(); ++at) {
        const std::vector<std::string> fields = ParseCsvLine(record.lines[at]);
        const std::string entryId = field(fields, RecordColumn::EntryId);
        if (field(fields, RecordColumn::Result) != ResultText(ContactResult::Saved) ||
            entryId.empty() || handled.contains(entryId))
            continue;
        StoredContact contact;
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

void UndoRun::undo() {
    RunWindow& window = screen_.window();
    auto newest = storage_.readNewestRunRecord();
    if (!newest) {
        screen_.show(
            "The record of the last import could not be read, so nothing was deleted.\r\n\r\n" +
                newest.failure().description,
            MessageStyle::Exclamation);
        return;
    }
    if (!newest.value()) {
        screen_.show("There is no import to undo.", MessageStyle::Plain);
        return;
    }
    const RunRecordText& record = *newest.value();
    const std::string when = whenOf(record.path);
    const std::vector<StoredContact> contacts = contactsToTakeBack(record);
    if (contacts.empty()) {
        screen_.show(record.undoLines.empty()
                         ? "The last import, of " + when +
                               ", stored no contact that Quorvane can take back: Start "
                               "Importing does not learn where Outlook stored each contact, "
                               "only the imports without windows do. Nothing was deleted."
                         : "The last import, of " + when + ", has been undone already.",
                     MessageStyle::Plain);
        return;
    }
    const std::string folder =
        contacts.front().folder.empty() ? std::string("Outlook") : contacts.front().folder;
    const std::string count = contacts.size() == 1
                                  ? std::string("the contact")
                                  : "the " + std::to_string(contacts.size()) + " contacts";
    const bool yes = window.askYesNo(
        "Delete " + count + " that the import of " + when + " stored in " + folder +
        "?\r\n\r\nThey go to Outlook's Deleted Items, from where they can be brought back. A "
        "contact changed since the import is kept.");
    if (!screen_.stillOpen() || !yes)
        return;

    window.setPointer(PointerKind::Hourglass);
    SessionOutcome reached = outlook_.createSession();
    if (!reached.session) {
        screen_.restorePointer();
        screen_.announceEnd();
        if (reached.noDesktopOutlook)
            screen_.show(NoDesktopOutlookMessage(reached.session.failure().description),
                         MessageStyle::Exclamation);
        else
            screen_.report(ReachOutlook, reached.session.failure());
        return;
    }
    std::unique_ptr<OutlookSession> session = std::move(reached.session.value());
    recorder_.beginUndoOf(record.path);
    for (std::size_t at = 0; at < contacts.size(); ++at) {
        if (!screen_.yield())
            return;
        screen_.showProgressText("Undoing: " + contacts[at].name);
        window.setProgressValue(static_cast<double>(at + 1) / contacts.size() * 100.0);
        takeBack(*session, contacts[at]);
        if (screen_.closing())
            return;
    }
    changeTimesFolder_.reset();
    session.reset();
    screen_.restoreAtRest();
    screen_.announceEnd();
    screen_.show(closingSummary(), MessageStyle::Plain);
}

// Found again by its IDs; deleted only when nobody changed it since the
// import stored it, and never when that cannot be told.
void UndoRun::takeBack(OutlookSession& session, const StoredContact& contact) {
    recorder_.startContact();
    FileContact line;
    line.number = contact.number;
    line.name = contact.name;
    const auto finish = [&] {
        recorder_.noteEntryId(contact.entryId);
        recorder_.finishContact(contact.file, &line);
    };
    const auto report = [&](StepNumber step, const Failure& failure) {
        recorder_.noteReport(step, failure);
        screen_.report(step, failure);
        finish();
    };
    const std::optional<double> storedAt = OleDateFromText(contact.storedAt);
    const auto changedSince = [&](double changed) {
        return !storedAt || changed > *storedAt + Tolerance;
    };
    const auto keep = [&] {
        keptNames_.push_back(contact.name);
        recorder_.noteUndone(ContactResult::KeptChanged);
        finish();
    };
    // Changed by the table's word: kept without a call into Outlook.
    if (const auto listed = changeTimes_.find(contact.entryId);
        listed != changeTimes_.end() && changedSince(listed->second))
        return keep();
    auto item = session.itemFromId(contact.entryId, contact.storeId);
    if (!item) {
        if (!item.failure().notFound)
            return report(FindContact, item.failure());
        recorder_.noteUndone(ContactResult::NotFound);
        return finish();
    }
    refreshChangeTimes(*item.value());
    std::optional<double> changed;
    if (const auto listed = changeTimes_.find(contact.entryId); listed != changeTimes_.end())
        changed = listed->second;
    else if (auto asked = item.value()->lastModificationTime())
        changed = asked.value();
    else
        return report(ReadChangeTime, asked.failure());
    if (changedSince(*changed))
        return keep();
    if (auto removed = item.value()->remove(); !removed)
        return report(DeleteContact, removed.failure());
    recorder_.noteUndone(ContactResult::Deleted);
    finish();
}

// The table of the folder the first contact is in, read in one pass, tells
// when each of its contacts last changed: taking one back is then a find and
// a delete, as cheap as it gets. It is read again once it is older than
// ChangeTimesFreshFor, so that a contact changed while a long undo goes on is
// still kept. A contact the table does not list (moved elsewhere since) has
// its own time asked; so has every contact once Outlook will not give the
// table, which costs time and nothing else.
void UndoRun::refreshChangeTimes(OutlookStoredItem& item) {
    const auto now = std::chrono::steady_clock::now();
    if (changeTimesFolder_ ? now - changeTimesReadAt_ < ChangeTimesFreshFor : changeTimesTried_)
        return;
    changeTimesTried_ = true;
    changeTimes_.clear();
    if (!changeTimesFolder_) {
        auto folder = item.folder();
        if (!folder)
            return;
        changeTimesFolder_ = std::move(folder.value());
    }
    changeTimesReadAt_ = now;
    auto rows = changeTimesFolder_->readChangeTimes();
    if (!rows) {
        changeTimesFolder_.reset();
        return;
    }
    for (StoredChangeTime& row : rows.value())
        changeTimes_.emplace(std::move(row.entryId), row.lastModified);
}

std::string UndoRun::closingSummary() const {
    const ContactRecorder::Tally& tally = recorder_.tally();
    const auto count = [](std::size_t n) {
        return std::to_string(n) + (n == 1 ? " contact" : " contacts");
    };
    std::string text = "Done.\r\n\r\n";
    text.append(count(tally.deleted)).append(" deleted: they are in Outlook's Deleted Items.");
    if (tally.kept > 0) {
        text.append("\r\n").append(count(tally.kept)).append(" kept, changed after the import:");
        for (std::size_t at = 0; at < keptNames_.size() && at < 10; ++at)
            text.append(at ? ", " : " ").append(keptNames_[at]);
        if (keptNames_.size() > 10)
            text.append(" and ").append(std::to_string(keptNames_.size() - 10)).append(" more");
        text.append(".");
    }
    if (tally.notFound > 0)
        text.append("\r\n").append(count(tally.notFound)).append(" no longer in Outlook.");
    if (tally.reported > 0)
        text.append("\r\n").append(count(tally.reported)).append(" reported, not deleted.");
    if (const auto path = recorder_.path())
        text.append("\r\n\r\nThe record of this undo: ").append(*path);
    return text;
}

} // namespace quorvane
