#pragma once
// Importing without windows: Outlook is reached once for the whole run and
// every contact is opened straight from its card file, stored, and let go
// of, with no item window on the screen. Steps are numbered from 200
// (docs/windowless-steps.md). What the folder holds is read once, so that a
// contact it has already is recorded so and not stored again.

#include "import/import_target.h"
#include "import/known_contacts.h"
#include "import/outlook_connection.h"
#include "platform/outlook_session.h"
#include "platform/text_folding.h"

#include <memory>
#include <string>
#include <string_view>

namespace quorvane {

// Outlook would not let the run read what `folderName` holds; asks whether
// to import without the duplicate check.
std::string DuplicateCheckRefusedQuestion(std::string_view folderName,
                                          std::string_view outlookWords);

class WindowlessTarget final : public ImportTarget {
public:
    // `folderPath` names the folder of a NamedFolder destination.
    WindowlessTarget(OutlookSessions& outlook, WindowlessDestination destination,
                     const TextFolding& folding, std::string folderPath = {})
        : connection_(outlook, destination, std::move(folderPath)), destination_(destination),
          known_(folding) {}

    const SessionSteps& steps() const override;
    std::optional<Ready> prepare(RunContext& run) override;
    ContactOutcome store(const ContactAtHand& contact, RunContext& run) override;
    void release() override;
    std::string closingSummary(const ResultCount& count,
                               const std::optional<std::string>& recordPath) const override;

private:
    void readFolderFacts(RunContext& run);
    // What the folder holds, once, for the duplicate check; false when the
    // user chose to stop rather than import without it.
    bool readKnownContacts(RunContext& run);
    // Each way stores the contact exactly once.
    ContactOutcome saveContact(const FileContact& contact, RunContext& run);
    bool report(RunContext& run, StepNumber step, const Failure& failure);
    void releaseContact();

    OutlookConnection connection_;
    WindowlessDestination destination_;
    std::string folderPath_;
    std::string folderName_;
    std::string storeId_;
    KnownContacts known_;
    bool checkDuplicates_ = true;
    bool addressReadsRefused_ = false;
    // The contact at hand; both are let go of before the next one: an
    // Exchange mailbox counts every item a client holds open.
    std::unique_ptr<OutlookContactItem> item_;
    std::unique_ptr<OutlookContactItem> movedItem_;
};

} // namespace quorvane
