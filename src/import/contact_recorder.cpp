#include "import/contact_recorder.h"

#include "text/utf8_text.h"

namespace quorvane {

namespace {

// Outlook's and the system's words can run long (a whole stack of reasons);
// a record line stays readable in a spreadsheet with this much of them.
constexpr std::size_t LongestDescription = 1000;

} // namespace

ContactRecorder::ContactRecorder(Outcome<std::unique_ptr<RunRecordFile>> record, RunScreen& screen)
    : screen_(screen) {
    if (!record) {
        screen_.show("The record of this run could not be written: " +
                         record.failure().description + "\r\nThe import goes on without it.",
                     MessageStyle::Exclamation);
        return;
    }
    record_ = std::move(record.value());
    // A record that goes on has its header already.
    if (!record_->continued() && !record_->appendLine(ContactRecordHeader()))
        record_.reset();
}

std::optional<std::string> ContactRecorder::path() const {
    if (!record_)
        return std::nullopt;
    return record_->path();
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
    ++counts_[static_cast<std::size_t>(line.result)];
    if (!record_)
        return;
    line.description = Utf8Shortened(line.description, LongestDescription);
    if (!record_->appendLine(FormatContactRecordLine(line))) {
        // Said once; the import itself goes on.
        record_.reset();
        screen_.show("The record of this run could not be written any further at " + line.file +
                         ".",
                     MessageStyle::Exclamation);
    }
}

ContactLine::ContactLine(ContactRecorder& recorder, std::string_view file, ContactLabel label)
    : recorder_(recorder), note_(std::move(label.note)) {
    line_.file = file;
    line_.contact = label.number;
    line_.name = std::move(label.name);
    line_.repaired = std::move(label.repaired);
}

ContactLine::~ContactLine() {
    if (finished_)
        return;
    ContactOutcome ended;
    ended.result = line_.step ? ContactResult::Reported : ContactResult::Skipped;
    finish(ended);
}

void ContactLine::noteReport(StepNumber step, const Failure& failure) {
    if (finished_ || line_.step)
        return;
    line_.step = step;
    line_.description = failure.description;
}

void ContactLine::finish(const ContactOutcome& outcome) {
    if (finished_)
        return;
    finished_ = true;
    line_.result = outcome.result;
    line_.folder = outcome.folder;
    line_.entryId = outcome.entryId;
    line_.storeId = outcome.storeId;
    line_.storedAt = outcome.storedAt ? StoredTimeText(*outcome.storedAt) : std::string();
    // Only a stored contact holds what was carried into it.
    if (outcome.result == ContactResult::Saved)
        line_.carried = outcome.carried;
    if (line_.description.empty())
        line_.description = note_ ? *note_ : outcome.note;
    recorder_.write(std::move(line_));
}

} // namespace quorvane
