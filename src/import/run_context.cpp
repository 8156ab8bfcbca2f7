#include "import/run_context.h"

#include "import/contact_recorder.h"
#include "import/file_contacts.h"
#include "import/rest_carrier.h"

namespace quorvane {

std::string NoDesktopOutlookMessage(std::string_view systemWords) {
    return "Quorvane could not reach Outlook, so nothing was imported.\r\n\r\n"
           "Importing needs the classic desktop Outlook, the one that comes with Microsoft "
           "Office. The new Outlook for Windows cannot be driven by other programs, so "
           "Quorvane cannot import into it.\r\n\r\nWindows said: " +
           std::string(systemWords);
}

bool RunContext::report(StepNumber step, const Failure& failure) {
    if (lineAtHand_)
        lineAtHand_->noteReport(step, failure);
    return screen_.report(step, failure);
}

std::unique_ptr<OutlookSession> RunContext::reachOutlook(OutlookSessions& outlook,
                                                         StepNumber step) {
    SessionOutcome reached = outlook.createSession();
    if (reached.session)
        return std::move(reached.session.value());
    // Nothing can be done without Outlook, so the run ends here rather than
    // report every contact.
    if (reached.noDesktopOutlook)
        closeWith(NoDesktopOutlookMessage(reached.session.failure().description),
                  MessageStyle::Exclamation);
    else
        report(step, reached.session.failure());
    return nullptr;
}

std::string RunContext::carryRest(const FileContact& contact, OutlookContactProperties& item) {
    return carrier_ ? carrier_->carry(contact.rest, item) : std::string();
}

void RunContext::noteAddressReadsRefused() {
    if (carrier_)
        carrier_->noteRefused();
}

std::string RunContext::carryingWords() const {
    return carrier_ ? carrier_->closingWords() : std::string();
}

} // namespace quorvane
