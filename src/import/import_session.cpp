#include "import/import_session.h"

#include "import/learned_keeps.h"
#include "import/queue_walk.h"
#include "import/rest_carrier.h"
#include "import/run_progress.h"

#include <exception>
#include <optional>

namespace quorvane {

namespace {

ContactLabel labelOf(const FileContact& contact) {
    return {contact.number, contact.name, contact.repaired, contact.note};
}

// The contact whose line a report goes to, for as long as it is at hand.
class LineAtHand {
public:
    LineAtHand(RunContext& run, ContactLine& line) : run_(run) { run_.setLineAtHand(&line); }
    ~LineAtHand() { run_.setLineAtHand(nullptr); }
    LineAtHand(const LineAtHand&) = delete;
    LineAtHand& operator=(const LineAtHand&) = delete;

private:
    RunContext& run_;
};

// The run's carrier, for as long as the run has one.
class CarrierAtWork {
public:
    CarrierAtWork(RunContext& run, RestCarrier& carrier) : run_(run) { run_.setCarrier(&carrier); }
    ~CarrierAtWork() { run_.setCarrier(nullptr); }
    CarrierAtWork(const CarrierAtWork&) = delete;
    CarrierAtWork& operator=(const CarrierAtWork&) = delete;

private:
    RunContext& run_;
};

// The one-import lock, held for a run and let go of on every way out.
class HeldLock {
public:
    explicit HeldLock(ImportLock& lock) : lock_(lock), held_(lock.tryTake()) {}
    ~HeldLock() {
        if (held_)
            lock_.release();
    }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;
    explicit operator bool() const { return held_; }

private:
    ImportLock& lock_;
    bool held_;
};

// What the recorder counted, kept once the run is done with it.
class TallyKeeper {
public:
    TallyKeeper(RunTally& tally, const ContactRecorder& recorder)
        : tally_(tally), recorder_(recorder) {}
    ~TallyKeeper() {
        tally_.walked = true;
        for (std::size_t result = 0; result < ContactResultCount; ++result)
            tally_.counts[result] = recorder_.count(static_cast<ContactResult>(result));
    }
    TallyKeeper(const TallyKeeper&) = delete;
    TallyKeeper& operator=(const TallyKeeper&) = delete;

private:
    RunTally& tally_;
    const ContactRecorder& recorder_;
};

// Clears a flag on every way out, including when the window closes mid-run.
class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~ScopedFlag() { flag_ = false; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& flag_;
};

} // namespace

std::string ContactAtHand::subject() const {
    if (!split)
        return std::string(queuedPath);
    return "contact " + std::to_string(card.number) + " (" + card.name + ") in " +
           std::string(queuedPath);
}

std::string CountOf(std::size_t count, std::string_view noun) {
    return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

template <typename Target, typename Body> RunEnd ImportSession::frame(Target& target, Body body) {
    lastRun_ = RunTally{};
    if (running_) {
        lastRun_.otherRunGoingOn = true;
        return RunEnd::Finished;
    }
    ScopedFlag running(running_);
    RunScreen screen(window_);
    HeldLock held(importLock_);
    if (!held) {
        lastRun_.otherRunGoingOn = true;
        screen.announceEnd();
        screen.show("Another Quorvane is importing contacts or taking an import back. Let it "
                    "finish, then try again.",
                    MessageStyle::Exclamation);
        return screen.closing() ? RunEnd::WindowClosed : RunEnd::Finished;
    }
    RunContext run(screen);
    try {
        body(run);
    } catch (const std::exception& fault) {
        // Nothing a run does is meant to throw; should it all the same (the
        // memory ran out), the fault is said and the run ends as any other.
        screen.show(fault.what(), MessageStyle::Exclamation);
        screen.restoreAtRest();
    }
    target.release();
    screen.announceEnd();
    return screen.closing() ? RunEnd::WindowClosed : RunEnd::Finished;
}

// The end of a run that was not cut short by the window: Outlook let go of,
// everything at rest, then its one closing box: the target's summary once a
// record was walked, or what the context was left to say.
template <typename Target>
void ImportSession::close(Target& target, RunContext& run, const ContactRecorder* recorder) {
    closeWith(target, run, [&]() -> std::optional<std::string> {
        if (!recorder)
            return std::nullopt;
        const ResultCount count = [recorder](ContactResult result) {
            return recorder->count(result);
        };
        std::string summary = target.closingSummary(count, recorder->path());
        if (const std::string words = run.carryingWords(); !words.empty())
            summary.append("\r\n\r\n").append(words);
        return summary;
    });
}

template <typename Target, typename Summary>
void ImportSession::closeWith(Target& target, RunContext& run, Summary summary) {
    if (run.closing())
        return;
    target.release();
    RunScreen& screen = run.screen();
    screen.restoreAtRest();
    screen.announceEnd();
    if (const std::optional<std::string> text = summary())
        screen.show(*text, MessageStyle::Plain);
    else if (const auto& box = run.closingBox())
        screen.show(box->text, box->style);
}

RunEnd ImportSession::run(ImportTarget& target) {
    return frame(target, [&](RunContext& run) {
        RunScreen& screen = run.screen();
        if (queue_.count() == 0) {
            screen.announceEnd();
            screen.show("No files added.", MessageStyle::Plain);
            return;
        }
        screen.showHourglass();
        const auto ready = target.prepare(run);
        if (!ready)
            return close(target, run, nullptr);
        ContactRecorder recorder(storage_.createRunRecord(), screen);
        TallyKeeper tally(lastRun_, recorder);
        const OutlookKeeps keeps = KeepsForOutlook(keeps_, settings_, ready->outlookVersion);
        RestCarrier carrier(keeps, storage_, regional_.listSeparator());
        if (ready->addressReadsRefused)
            carrier.noteRefused();
        CarrierAtWork carrying(run, carrier);
        QueueWalk walk(queue_, storage_, codePages_, keeps, recorder, ready->readIdentities);
        if (auto begun = walk.begin();
            !begun && !run.report(target.steps().fixLastIndex, begun.failure()))
            return;
        if (walkQueue(target, run, walk, recorder))
            return close(target, run, &recorder);
        // The target could store nothing more: its reports said so, and no
        // "Done." follows them.
        walk.recordUnfinished();
        close(target, run, nullptr);
    });
}

bool ImportSession::walkQueue(ImportTarget& target, RunContext& run, QueueWalk& walk,
                              ContactRecorder& recorder) {
    const SessionSteps& steps = target.steps();
    for (;;) {
        if (!run.screen().yield())
            return false;
        if (auto read = walk.readRow(); !read) {
            if (!run.report(steps.readPath, read.failure()))
                return false;
        } else if (!importFile(target, run, walk, recorder)) {
            return false;
        }
        auto more = walk.advance();
        if (!more)
            return run.report(steps.advance, more.failure());
        if (!more.value())
            return true;
    }
}

// Every contact of the row's file, each a cycle from the progress text on.
bool ImportSession::importFile(ImportTarget& target, RunContext& run, QueueWalk& walk,
                               ContactRecorder& recorder) {
    RunScreen& screen = run.screen();
    const SessionSteps& steps = target.steps();
    const KeepGoing keepReading = [&screen] { return screen.yield(); };
    // A file of gigabytes takes a while to read: the bar names it first.
    screen.showProgressText(walk.progressText());
    walk.openFile(keepReading);
    for (bool first = true; walk.contact(); first = false) {
        const FileContact& contact = *walk.contact();
        // The contact has its line from the moment it is at hand, so a run
        // ended at the yield before it still records it.
        ContactLine line(recorder, walk.path(), labelOf(contact));
        if (run.closing() || (!first && !screen.yield()))
            return false;
        screen.showProgressText(walk.progressText());
        LineAtHand atHand(run, line);
        if (auto percent = walk.progressValue(); !percent) {
            if (!run.report(steps.progressValue, percent.failure()))
                return false;
        } else {
            screen.showProgressValue(percent.value());
        }
        // A contact that cannot be opened needs nothing of Outlook.
        ContactOutcome outcome;
        if (contact.failure)
            run.report(steps.openContact, *contact.failure);
        else
            outcome = target.store({contact, walk.path(), walk.split()}, run);
        line.finish(outcome);
        if (outcome.runOver)
            return false;
        if (run.closing() || !walk.nextContact(keepReading))
            break;
    }
    return !run.closing();
}

RunEnd ImportSession::run(TakeBackTarget& target) {
    return frame(target, [&](RunContext& run) {
        RunScreen& screen = run.screen();
        const auto recorded = target.prepare(run);
        if (!recorded)
            return close(target, run, nullptr);
        ContactRecorder recorder(storage_.createUndoRecord(recorded->recordPath), screen);
        TallyKeeper tally(lastRun_, recorder);
        const std::size_t total = recorded->contacts.size();
        for (std::size_t at = 0; at < total; ++at) {
            const RecordedContact& contact = recorded->contacts[at];
            if (!screen.yield())
                return;
            screen.showProgressText("Undoing: " + contact.name);
            if (auto percent = ProgressValue(static_cast<std::int32_t>(at) + 1, total, 1.0))
                screen.showProgressValue(percent.value());
            ContactLine line(recorder, contact.file, {contact.number, contact.name, {}, {}});
            LineAtHand atHand(run, line);
            ContactOutcome outcome = target.takeBack(contact, run);
            outcome.entryId = contact.entryId;
            line.finish(outcome);
            if (run.closing())
                return;
        }
        close(target, run, &recorder);
    });
}

RunEnd ImportSession::run(CheckTarget& target) {
    return frame(target, [&](RunContext& run) {
        RunScreen& screen = run.screen();
        screen.showHourglass();
        const auto steps = target.prepare(run);
        if (!steps)
            return closeWith(target, run, [] { return std::optional<std::string>(); });
        for (std::size_t step = 0; step < *steps; ++step) {
            if (!screen.yield())
                return;
            screen.showProgressText(target.stepText(step));
            if (auto percent = ProgressValue(static_cast<std::int32_t>(step) + 1, *steps, 1.0))
                screen.showProgressValue(percent.value());
            target.runStep(step, run);
            if (run.closing())
                return;
        }
        lastRun_.walked = true;
        // The summary is the check's own, asked for once its folder is gone.
        closeWith(target, run, [&] { return std::optional<std::string>(target.closingSummary()); });
    });
}

} // namespace quorvane
