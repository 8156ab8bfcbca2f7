#pragma once
// A way to import, as the import session drives it. The session does what
// every run does (the walk over the queue, the record, the progress, the
// boxes, the end); a target does only what its way of reaching Outlook
// needs: get ready, store one contact, let go.

#include "import/contact_recorder.h"
#include "import/file_contacts.h"
#include "import/run_context.h"
#include "import/step_number.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The numbers the session's own steps bear in a target's error reports.
struct SessionSteps {
    StepNumber fixLastIndex;
    StepNumber readPath;
    StepNumber progressValue;
    // A contact that cannot go to Outlook (a file without a card, one that
    // could not be split) is reported here, where it would have been opened.
    StepNumber openContact;
    StepNumber advance;
};

// How many contacts ended which way, for the closing summary.
using ResultCount = std::function<std::size_t(ContactResult)>;

// The contact a target is given, with the queued file it comes from.
struct ContactAtHand {
    const FileContact& card;
    std::string_view queuedPath;
    bool split = false; // the file goes to Outlook card by card

    // The file Outlook opens for it.
    const std::string& openPath() const { return card.path; }
    // How reports name it: the file, or which contact of it.
    std::string subject() const;
};

class ImportTarget {
public:
    virtual ~ImportTarget() = default;

    virtual const SessionSteps& steps() const = 0;

    // Everything the whole run needs before the first contact. Nothing means
    // nothing is imported: whatever there was to say has been reported or
    // left in the context's closing box. Otherwise whether each contact is
    // to carry its e-mail addresses and phones.
    struct Ready {
        bool readIdentities = false;
        // Outlook's prompt about programs reading address information was
        // answered No while getting ready: the run asks nothing that would
        // raise it again.
        bool addressReadsRefused = false;
        // The Outlook reached, as Application.Version names it: what a check
        // learned of the same version applies to the run.
        std::string outlookVersion;
    };
    virtual std::optional<Ready> prepare(RunContext& run) = 0;

    // Stores one contact; each failed step on the way goes to run.report.
    virtual ContactOutcome store(const ContactAtHand& contact, RunContext& run) = 0;

    // Lets go of every Outlook reference; the session calls it however the
    // run ends, before its closing box.
    virtual void release() = 0;

    // The closing box once the queue has been walked.
    virtual std::string closingSummary(const ResultCount& count,
                                       const std::optional<std::string>& recordPath) const = 0;
};

// A contact a run's record says that run stored, to be taken back.
struct RecordedContact {
    std::string file;
    std::size_t number = 0;
    std::string name;
    std::string entryId;
    std::string folder;
    std::string storeId;
    std::string storedAt;
};

// What taking a run back goes through: the contacts its record lists.
struct RecordedRun {
    std::string recordPath;
    std::vector<RecordedContact> contacts;
};

// Taking a run back, as the session drives it: the same frame over the
// contacts a record lists instead of the queue.
class TakeBackTarget {
public:
    virtual ~TakeBackTarget() = default;
    // The run to take back, once the user has agreed and Outlook is reached;
    // nothing as ImportTarget::prepare.
    virtual std::optional<RecordedRun> prepare(RunContext& run) = 0;
    virtual ContactOutcome takeBack(const RecordedContact& contact, RunContext& run) = 0;
    virtual void release() = 0;
    virtual std::string closingSummary(const ResultCount& count,
                                       const std::optional<std::string>& recordPath) const = 0;
};

// Checking what Quorvane assumes about Outlook, as the session drives it: the
// frame of an import (one run at a time, the hourglass, the bar, the closing
// rules) over the check's own steps instead of the queue.
class CheckTarget {
public:
    virtual ~CheckTarget() = default;
    // Asks the user, reaches Outlook and makes what the check needs; how many
    // steps follow, or nothing as ImportTarget::prepare.
    virtual std::optional<std::size_t> prepare(RunContext& run) = 0;
    // What the progress text says while step `step` (from 0) runs.
    virtual std::string stepText(std::size_t step) const = 0;
    virtual void runStep(std::size_t step, RunContext& run) = 0;
    // Removes what the check made in Outlook and lets go of Outlook, however
    // the check ends; the session calls it before the closing box.
    virtual void release() = 0;
    virtual std::string closingSummary() = 0;
};

// "1 contact", "2 contacts".
std::string CountOf(std::size_t count, std::string_view noun);

} // namespace quorvane
