#pragma once
// The record of a run: one line per contact, written when the run is done
// with that contact, and one for each queued file the run never reached.
// A recorder exists only with its record begun: a run that could not open
// the file still imports, and the user is told once, in plain words.

#include "base/outcome.h"
#include "import/contact_record.h"
#include "import/run_screen.h"
#include "import/step_number.h"
#include "platform/run_storage.h"

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// How a contact is named in its line.
struct ContactLabel {
    std::size_t number = 0; // 0 for what stands for a whole file
    std::string name;
    // The properties whose text was repaired before Outlook read it.
    std::vector<std::string> repaired;
    // Said in the line when no report is (a card that was cut off).
    std::optional<std::string> note;
};

// What became of one contact at a target. A contact Outlook stored is
// `Saved` even when a later step about it failed.
struct ContactOutcome {
    ContactResult result = ContactResult::Reported;
    std::string folder;  // Saved: where, when the run knows it
    std::string entryId; // the stored item; for Duplicate the one matched
    std::string storeId;
    std::optional<double> storedAt; // by Outlook's clock, in UTC
    std::string note;               // said in the line when no report is
    // What was carried into the contact of its card's rest, and what not,
    // as the record says it.
    std::string carried;
    // Nothing further can be stored (Outlook cannot be reached again): the
    // session stops walking and the rest is recorded as not reached.
    bool runOver = false;

    static ContactOutcome notStored() { return {}; }
    static ContactOutcome ended() {
        ContactOutcome outcome;
        outcome.runOver = true;
        return outcome;
    }
    static ContactOutcome with(ContactResult result, std::string entryId = {}) {
        ContactOutcome outcome;
        outcome.result = result;
        outcome.entryId = std::move(entryId);
        return outcome;
    }
};

class ContactRecorder {
public:
    // `record` is the file createRunRecord or createUndoRecord gave, or why
    // there is none; boxes go through `screen`.
    ContactRecorder(Outcome<std::unique_ptr<RunRecordFile>> record, RunScreen& screen);
    ContactRecorder(const ContactRecorder&) = delete;
    ContactRecorder& operator=(const ContactRecorder&) = delete;

    // Where the record is, when there is one.
    std::optional<std::string> path() const;
    // How many lines of this result the record has had so far.
    std::size_t count(ContactResult result) const {
        return counts_[static_cast<std::size_t>(result)];
    }

    // A line for what the run never reached: a queued file, or the rest of
    // a file after the contact at hand.
    void recordNotReached(std::string_view file, std::string_view description = {},
                          ContactResult result = ContactResult::Skipped);

private:
    friend class ContactLine;
    void write(ContactRecordLine line);

    RunScreen& screen_;
    std::unique_ptr<RunRecordFile> record_;
    std::array<std::size_t, ContactResultCount> counts_{};
};

// The line of the contact at hand, under way from its construction: the
// first report about the contact is the one it carries. Finished with what
// the target made of the contact; a line that goes unfinished (the run was
// ended first) is written all the same, as `skipped` when nothing was
// reported.
class ContactLine {
public:
    ContactLine(ContactRecorder& recorder, std::string_view file, ContactLabel label);
    ~ContactLine();
    ContactLine(const ContactLine&) = delete;
    ContactLine& operator=(const ContactLine&) = delete;

    void noteReport(StepNumber step, const Failure& failure);
    void finish(const ContactOutcome& outcome);

private:
    ContactRecorder& recorder_;
    ContactRecordLine line_;
    std::optional<std::string> note_;
    bool finished_ = false;
};

} // namespace quorvane
