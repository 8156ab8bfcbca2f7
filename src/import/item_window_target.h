#pragma once
// Importing through item windows (Start Importing): for every contact, have
// Outlook open it in an item window, save the item the window shows and
// close the window. Every step has a fixed number that the error report
// shows; after a failure has been reported the contact goes on at the step
// that follows, so one bad file never stops the files after it. Outlook is
// reached afresh for each contact and let go of after it.

#include "import/import_target.h"
#include "platform/clock.h"
#include "platform/outlook_automation.h"
#include "platform/shell_launcher.h"

#include <chrono>
#include <memory>

namespace quorvane {

struct ItemWindowOptions {
    // How long to wait for Outlook's item window after the launch before the
    // file is reported and the run moves on.
    std::chrono::milliseconds openWaitBound = std::chrono::seconds(60);
    // The longest sleep between two polls of the window count; any window
    // event ends the sleep early.
    std::chrono::milliseconds pollInterval = std::chrono::milliseconds(15);
};

class ItemWindowTarget final : public ImportTarget {
public:
    ItemWindowTarget(OutlookAutomation& outlook, ShellLauncher& shell, const Clock& clock,
                     ItemWindowOptions options = {})
        : outlook_(outlook), shell_(shell), clock_(clock), options_(options) {}

    const SessionSteps& steps() const override;
    // Outlook is reached per contact here, so its version is not known
    // before the first: the table as built applies.
    std::optional<Ready> prepare(RunContext&) override { return Ready{}; }
    ContactOutcome store(const ContactAtHand& contact, RunContext& run) override;
    void release() override;
    std::string closingSummary(const ResultCount&,
                               const std::optional<std::string>&) const override {
        return "Done.";
    }

private:
    // Each false when the contact goes no further: the run must return, or
    // the contact goes straight to the release.
    bool reachItemWindows(RunContext& run);
    // Whether the contact may be launched: no other item window is open.
    bool mayLaunch(const ContactAtHand& contact, RunContext& run);
    // Launches Outlook on the contact and waits until exactly one item
    // window is open.
    bool openItemWindow(const ContactAtHand& contact, RunContext& run);
    // What Outlook did not keep of the card is carried into the item first.
    void saveAndClose(const FileContact& contact, RunContext& run, ContactOutcome& outcome);
    Outcome<void> saveCurrentItem(const FileContact& contact, RunContext& run,
                                  std::string& carried);

    OutlookAutomation& outlook_;
    ShellLauncher& shell_;
    const Clock& clock_;
    ItemWindowOptions options_;
    // Held for one contact only.
    std::unique_ptr<OutlookApplication> application_;
    std::unique_ptr<OutlookInspectors> itemWindows_;
};

} // namespace quorvane
