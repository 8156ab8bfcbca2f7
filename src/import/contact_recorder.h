#pragma once
// The record of a run as every import run keeps it: one line per contact,
// written when the run is done with that contact, and one for each queued
// file the run never began. The first report about a contact is the one its
// line carries; a contact Outlook stored is "saved" even when a later step
// about it failed.

#include "base/outcome.h"
#include "import/contact_record.h"
#include "import/file_contacts.h"
#include "import/step_number.h"
#include "platform/run_storage.h"
#include "platform/run_window.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

class ContactRecorder {
public:
    ContactRecorder(RunStorage& storage, RunWindow& window);

    // Opens the record file. A run without its record still imports: the
    // user is told once, in plain words, and the contacts go to Outlook all
    // the same.
    void begin();
    // The same for the record of taking back the run recorded at
    // `runRecordPath`.
    void beginUndoOf(std::string_view runRecordPath);
    // Where the record is, when there is one.
    std::optional<std::string> path() const;

    // A contact (or a file that yields none) is under way from now on.
    void startContact();

    // Keeps the first report about the contact at hand; later ones and
    // reports outside a contact are left out.
    void noteReport(StepNumber step, const Failure& failure);
    // Outlook stored the contact at hand, in `folder` when the run knows it.
    void noteSaved(std::string_view folder = {});
    void noteEntryId(std::string_view entryId);
    // Where and when Outlook stored it, for taking the run back.
    void noteStoredAt(std::string_view storeId, std::optional<double> oleDate);
    // The folder held the contact already, as the entry ID `match`; it is
    // not stored again.
    void noteDuplicate(std::string_view match);
    // What taking the contact at hand back came to, when not a report.
    void noteUndone(ContactResult result) { undone_ = result; }

    // How many lines of each result the record has had so far.
    struct Tally {
        std::size_t saved = 0;
        std::size_t duplicates = 0;
        std::size_t reported = 0;
        std::size_t skipped = 0;
        std::size_t deleted = 0;
        std::size_t kept = 0;
        std::size_t notFound = 0;
    };
    const Tally& tally() const { return tally_; }

    // Writes the line of the contact at hand and closes it. When the run
    // was ended first, a contact neither stored nor reported is "skipped".
    void finishContact(std::string_view file, const FileContact* contact, bool runEnded = false);
    // A line for what the run never reached: a queued file, or the rest of
    // a file after the contact at hand.
    void recordNotReached(std::string_view file, std::string_view description = {},
                          ContactResult result = ContactResult::Skipped);

private:
    void open(Outcome<std::unique_ptr<RunRecordFile>> record);
    void write(ContactRecordLine line);

    RunStorage& storage_;
    RunWindow& window_;
    std::unique_ptr<RunRecordFile> record_;

    bool contactOpen_ = false;
    bool saved_ = false;
    bool duplicate_ = false;
    std::optional<ContactResult> undone_;
    Tally tally_;
    std::string storeId_;
    std::string storedAt_;
    std::optional<StepNumber> reportedStep_;
    std::string reportedDescription_;
    std::string entryId_;
    std::string folder_;
};

} // namespace quorvane
