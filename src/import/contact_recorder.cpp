#include "import/contact_recorder.h"

#include "text/utf8_text.h"

namespace quorvane {

namespace {

// Outlook's and the system's words can run long (a whole stack of reasons);
// a record line stays readable in a spreadsheet with this much of them.
constexpr std::size_t LongestDescription = 1000;

} // namespace

ContactRecorder::ContactRecorder(RunStorage& storage, RunWindow& window)
    : storage_(storage), window_(window) {}

void ContactRecorder::begin() {
    open(storage_.createRunRecord());
}

void ContactRecorder::beginUndoOf(std::string_view runRecordPath) {
    open(storage_.createUndoRecord(runRecordPath));
}

void ContactRecorder::open(Outcome<std::unique_ptr<RunRecordFile>> record) {
    if (!record) {
        window_.showMessage("The record of this run could not be written: " +
                                record.failure().description + "\r\nThe import goes on without it.",
                            MessageStyle::Exclamation);
        return;
    }
    record_ = std::move(record.value());
    if (!record_->appendLine(ContactRecordHeader()))
        record_.reset();
}

std::optional<std::string> ContactRecorder::path() const {
    if (!record_)
        return std::nullopt;
    return record_->path();
}

void ContactRecorder::startContact() {
    contactOpen_ = true;
    saved_ = false;
    duplicate_ = false;
    undone_.reset();
    storeId_.clear();
    storedAt_.clear();
    reportedStep_.reset();
    reportedDescription_.clear();
    entryId_.clear();
    folder_.clear();
}

void ContactRecorder::noteReport(StepNumber step, const Failure& failure) {
    if (!contactOpen_ || reportedStep_)
        return;
    reportedStep_ = step;
    reportedDescription_ = failure.description;
}

void ContactRecorder::noteSaved(std::string_view folder) {
    saved_ = true;
    folder_.assign(folder);
}

void ContactRecorder::noteEntryId(std::string_view entryId) {
    entryId_.assign(entryId);
}

void ContactRecorder::noteStoredAt(std::string_view storeId, std::optional<double> oleDate) {
    storeId_.assign(storeId);
    storedAt_ = oleDate ? OleDateText(*oleDate) : std::string();
}

void ContactRecorder::noteDuplicate(std::string_view match) {
    duplicate_ = true;
    entryId_.assign(match);
}

void ContactRecorder::finishContact(std::string_view file, const FileContact* contact,
                                    bool runEnded) {
    if (!contactOpen_)
        return;
    contactOpen_ = false;
    ContactRecordLine line;
    line.file = file;
    line.result = saved_                       ? ContactResult::Saved
                  : duplicate_                 ? ContactResult::Duplicate
                  : undone_                    ? *undone_
                  : reportedStep_ || !runEnded ? ContactResult::Reported
                                               : ContactResult::Skipped;
    line.step = reportedStep_;
    line.description = reportedDescription_;
    line.entryId = entryId_;
    line.folder = folder_;
    line.storeId = storeId_;
    line.storedAt = storedAt_;
    if (contact) {
        line.contact = contact->number;
        line.name = contact->name;
        line.repaired = contact->repaired;
        if (contact->note && line.description.empty())
            line.description = *contact->note;
    }
    write(std::move(line));
}

void ContactRecorder::recordNotReached(std::string_view file, std::string_view description,
                                       ContactResult result) {
    ContactRecordLine line;
    line.file = file;
    line.result = result;
    line.description = description;
    write(std::move(line));
}

void ContactRecorder::write(ContactRecordLine line) {
    switch (line.result) {
    case ContactResult::Saved:
        ++tally_.saved;
        break;
    case ContactResult::Duplicate:
        ++tally_.duplicates;
        break;
    case ContactResult::Reported:
        ++tally_.reported;
        break;
    case ContactResult::Skipped:
        ++tally_.skipped;
        break;
    case ContactResult::Deleted:
        ++tally_.deleted;
        break;
    case ContactResult::KeptChanged:
        ++tally_.kept;
        break;
    case ContactResult::NotFound:
        ++tally_.notFound;
        break;
    }
    if (!record_)
        return;
    line.description = Utf8Shortened(line.description, LongestDescription);
    if (!record_->appendLine(FormatContactRecordLine(line))) {
        // Said once; the import itself goes on.
        record_.reset();
        window_.showMessage("The record of this run could not be written any further at " +
                                line.file + ".",
                            MessageStyle::Exclamation);
    }
}

} // namespace quorvane
