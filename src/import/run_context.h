#pragma once
// What a run's target works with while the session drives it: the screen,
// the one way to report a failed step (noted in the contact's line, then
// shown), Outlook reached with the one message a machine without it gets,
// and the run's closing box when it ends before its queue.

#include "base/outcome.h"
#include "import/run_screen.h"
#include "import/step_number.h"
#include "platform/outlook_session.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

class ContactLine;
class RestCarrier;
struct FileContact;

// The one message a run shows when this machine has no Outlook it can drive;
// `systemWords` is what Windows said, for whoever reads it to support.
std::string NoDesktopOutlookMessage(std::string_view systemWords);

struct ClosingBox {
    std::string text;
    MessageStyle style = MessageStyle::Plain;
};

class RunContext {
public:
    explicit RunContext(RunScreen& screen) : screen_(screen) {}
    RunContext(const RunContext&) = delete;
    RunContext& operator=(const RunContext&) = delete;

    RunScreen& screen() { return screen_; }
    bool closing() { return screen_.closing(); }

    // The error report of a failed step; the contact at hand's line keeps
    // the first. False when the run must return.
    bool report(StepNumber step, const Failure& failure);

    // Outlook's session for the whole run, or none: a machine without an
    // Outlook that can be driven ends the run with the message above as its
    // closing box, any other failure is reported at `step`.
    std::unique_ptr<OutlookSession> reachOutlook(OutlookSessions& outlook, StepNumber step);

    // The box the run ends with when it ends before walking anything.
    void closeWith(std::string text, MessageStyle style) {
        closingBox_ = ClosingBox{std::move(text), style};
    }
    const std::optional<ClosingBox>& closingBox() const { return closingBox_; }

    // Carries what Outlook will not keep of `contact`'s card into `item`,
    // before it is stored; what the record says of it.
    std::string carryRest(const FileContact& contact, OutlookContactProperties& item);
    // Outlook's prompt about programs reading address information was
    // answered No: nothing is read for the carrying that would raise it.
    void noteAddressReadsRefused();
    // What the closing box says of the carrying, if anything.
    std::string carryingWords() const;

    // The session's part: whose line a report goes to, and who carries.
    void setLineAtHand(ContactLine* line) { lineAtHand_ = line; }
    void setCarrier(RestCarrier* carrier) { carrier_ = carrier; }

private:
    RunScreen& screen_;
    ContactLine* lineAtHand_ = nullptr;
    RestCarrier* carrier_ = nullptr;
    std::optional<ClosingBox> closingBox_;
};

} // namespace quorvane
