#include "import/contact_recorder.h"

namespace quorvane {

ContactRecorder::ContactRecorder(RunStorage& storage, RunWindow& window)
    : storage_(storage), window_(window) {}

void ContactRecorder::begin() {
    auto record = storage_.createRunRecord();
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

void ContactRecorder::startContact() {
    contactOpen_ = true;
    saved_ = false;
    reportedStep_ = 0;
    reportedDescription_.clear();
    entryId_.clear();
    folder_.clear();
}

void ContactRecorder::noteReport(int step, const Failure& failure) {
    if (!contactOpen_ || reportedStep_ != 0)
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

void ContactRecorder::finishContact(std::string_view file, const FileContact* contact) {
    if (!contactOpen_)
        return;
    write(file, contact, saved_ ? ContactResult::Saved : ContactResult::Reported);
    contactOpen_ = false;
}

void ContactRecorder::finishUnfinished(std::string_view file,
                                       const std::vector<FileContact>& contacts,
                                       std::size_t contactAt) {
    if (!contactOpen_)
        return;
    contactOpen_ = false;
    if (saved_) {
        write(file, contactAt < contacts.size() ? &contacts[contactAt] : nullptr,
              ContactResult::Saved);
        ++contactAt;
    }
    reportedStep_ = 0;
    reportedDescription_.clear();
    entryId_.clear();
    folder_.clear();
    for (; contactAt < contacts.size(); ++contactAt)
        write(file, &contacts[contactAt], ContactResult::Skipped);
}

void ContactRecorder::write(std::string_view file, const FileContact* contact,
                            ContactResult result) {
    if (!record_)
        return;
    ContactRecordLine line;
    line.file = file;
    line.result = result;
    line.step = reportedStep_;
    line.description = reportedDescription_;
    line.entryId = entryId_;
    line.folder = folder_;
    if (contact) {
        line.contact = contact->number;
        line.name = contact->name;
        if (!contact->terminated && line.description.empty())
            line.description = "The file ends before this contact's END:VCARD line.";
    }
    if (!record_->appendLine(FormatContactRecordLine(line))) {
        // Said once; the import itself goes on.
        record_.reset();
        window_.showMessage("The record of this run could not be written any further at " +
                                line.file + ".",
                            MessageStyle::Exclamation);
    }
}

} // namespace quorvane
