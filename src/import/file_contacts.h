#pragma once
// One queued file, seen as the contacts the import run hands Outlook one at a
// time. Outlook reads only the first card of a file it opens, so a file with
// several cards is split: each card is written, byte for byte, to a file of
// its own in a private folder of the run, as the run reaches it, and removed
// once the run is done with it. A file with a single card is imported from
// the user's own path, untouched. However large the file, only the card at
// hand and the one after it are held, in memory and on disk.

#include "base/outcome.h"
#include "cards/card_identity.h"
#include "cards/card_reader.h"
#include "cards/card_rest.h"
#include "cards/outlook_keeps.h"
#include "platform/code_pages.h"
#include "platform/run_storage.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

struct FileContact {
    // 1-based, in the file's order; 0 for what stands for the whole file (a
    // file that cannot be read or holds no card).
    std::size_t number = 0;
    std::string name;   // for the progress text and the record
    bool named = false; // the name is the card's own, not "contact <number>"
    std::string path;   // the file Outlook opens for this contact
    // Why this contact cannot go to Outlook; it is reported where it would
    // have been opened, and the run goes on with the next.
    std::optional<Failure> failure;
    // Set for a card that was cut off: the note its record line carries.
    std::optional<std::string> note;
    // The properties given CHARSET=UTF-8 on the copy Outlook reads, so that
    // their UTF-8 text is not read in the Windows code page; empty when the
    // card went as it was.
    std::vector<std::string> repaired;
    // Its e-mail addresses and phones, when the run asked for them.
    CardIdentity identity;
    // What Outlook will not keep of the card, to be carried into the contact.
    CardRest rest;
};

// How the report of a file without any card begins; the path follows.
inline constexpr std::string_view NoCardDescription = "This file holds no vCard: ";

// Asked now and then while a file is read; false stops the reading.
using KeepGoing = std::function<bool()>;

class FileContacts {
public:
    // `keeps` says what Outlook keeps of a card: each contact carries the rest.
    FileContacts(RunStorage& storage, CodePages& codePages, const OutlookKeeps& keeps);
    ~FileContacts();
    FileContacts(const FileContacts&) = delete;
    FileContacts& operator=(const FileContacts&) = delete;

    // Begins the file at `path` and puts its first contact at hand: reading
    // on to the second card tells whether the file needs splitting. A file
    // that cannot be read or holds no card is at hand as one contact-less
    // entry whose failure says so. Nothing is at hand when `keepGoing` said
    // no meanwhile.
    void open(std::string_view path, const KeepGoing& keepGoing);

    // Lets go of the contact at hand (its card file included) and puts the
    // file's next one at hand; false when the file has no more. A file that
    // cannot be read on gives one more entry that says so.
    bool next(const KeepGoing& keepGoing);

    // From now on each contact carries its e-mail addresses and phones.
    void readIdentities() { readIdentities_ = true; }

    // Lets go of the file and every card file of it.
    void close();

    const FileContact* current() const { return current_ ? &*current_ : nullptr; }
    // Whether the file's contacts go to Outlook as card files of their own.
    bool split() const { return split_; }
    // Whether contacts may follow the one at hand (or the file was not read
    // to its first one, when the reading was stopped).
    bool mayHaveMore() const { return stopped_ || (split_ && (haveAhead_ || readFailure_)); }
    // Whether the contacts after the one at hand cannot go to Outlook
    // (their card files cannot be written), so the file ends here.
    bool restAbandoned() const { return restAbandoned_ && mayHaveMore(); }
    // How far through the file the contact at hand is, from 0 to 1.
    double fractionDone() const;

private:
    class PacedSource;

    // The next card into `card`; false at the end, after a failure (kept in
    // readFailure_) or when stopped.
    bool readCard(Card& card, const KeepGoing& keepGoing);
    void putAtHand(Card& card);
    void putFailureAtHand(Failure failure);
    Outcome<CardFolder*> fileFolder();

    RunStorage& storage_;
    CodePages& codePages_;
    const OutlookKeeps& keeps_;
    std::unique_ptr<CardFolder> runFolder_; // made when the first file needs it
    std::unique_ptr<CardFolder> fileFolder_;
    std::size_t filesSplit_ = 0;

    std::string path_;
    std::unique_ptr<PacedSource> source_;
    std::unique_ptr<CardReader> reader_;
    std::optional<Failure> readFailure_;
    bool stopped_ = false;
    // The card after the one at hand, read ahead; never more than one.
    Card ahead_;
    bool haveAhead_ = false;
    bool split_ = false;
    bool readIdentities_ = false;
    std::optional<FileContact> current_;
    std::string cardFileAtHand_;
    std::uint64_t cardBytesDone_ = 0;
    bool restAbandoned_ = false;
};

} // namespace quorvane
