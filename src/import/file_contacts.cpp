#include "import/file_contacts.h"

#include "cards/card_file_name.h"
#include "cards/charset_repair.h"
#include "text/utf8_text.h"

#include <algorithm>
#include <utility>

namespace quorvane {

namespace {

// How many bytes are read between two questions to `keepGoing`: a few
// milliseconds of reading even from a slow disk, so the window answers while
// a file of gigabytes goes by.
constexpr std::size_t BytesPerQuestion = 256 * 1024;

// A name is for telling contacts apart in a report and the record; a card
// may hold a name of any length, and this keeps both readable.
constexpr std::size_t LongestName = 200;

Failure unreadable(std::string_view path, const Failure& why) {
    return Failure{"This file could not be read: " + std::string(path) + "\r\n" + why.description};
}

Failure unsplittable(std::string_view path, const Failure& why) {
    return Failure{"The contacts of this file could not be written out one by one for Outlook: " +
                   std::string(path) + "\r\n" + why.description};
}

} // namespace

// Hands the reader the file's bytes and asks `keepGoing` every
// BytesPerQuestion of them; once it says no, the reading ends as a failure
// the owner knows for a stop.
class FileContacts::PacedSource final : public ByteSource {
public:
    PacedSource(std::unique_ptr<ByteSource> source, const KeepGoing& keepGoing, bool& stopped)
        : source_(std::move(source)), keepGoing_(&keepGoing), stopped_(stopped) {}

    void askWith(const KeepGoing& keepGoing) { keepGoing_ = &keepGoing; }
    std::uint64_t size() const override { return source_->size(); }

    Outcome<std::size_t> read(std::span<char> buffer) override {
        if (sinceQuestion_ >= BytesPerQuestion) {
            sinceQuestion_ = 0;
            if (!(*keepGoing_)()) {
                stopped_ = true;
                return Failure{"The run was ended."};
            }
        }
        auto read = source_->read(buffer.first(std::min(buffer.size(), BytesPerQuestion)));
        if (read)
            sinceQuestion_ += read.value();
        return read;
    }

private:
    std::unique_ptr<ByteSource> source_;
    const KeepGoing* keepGoing_;
    bool& stopped_;
    std::size_t sinceQuestion_ = 0;
};

FileContacts::FileContacts(RunStorage& storage, CodePages& codePages, const OutlookKeeps& keeps)
    : storage_(storage), codePages_(codePages), keeps_(keeps) {}

FileContacts::~FileContacts() = default;

void FileContacts::close() {
    current_.reset();
    cardFileAtHand_.clear();
    haveAhead_ = false;
    split_ = false;
    reader_.reset();
    source_.reset();
    readFailure_.reset();
    stopped_ = false;
    cardBytesDone_ = 0;
    restAbandoned_ = false;
    // The file's folder goes with every card file still in it.
    fileFolder_.reset();
}

void FileContacts::open(std::string_view path, const KeepGoing& keepGoing) {
    close();
    path_.assign(path);
    auto opened = storage_.openForReading(path);
    if (!opened) {
        putFailureAtHand(unreadable(path, opened.failure()));
        return;
    }
    source_ = std::make_unique<PacedSource>(std::move(opened.value()), keepGoing, stopped_);
    reader_ = std::make_unique<CardReader>(*source_, codePages_);

    Card first;
    if (!readCard(first, keepGoing)) {
        if (stopped_)
            return;
        putFailureAtHand(readFailure_ ? unreadable(path, *std::exchange(readFailure_, {}))
                                      : Failure{std::string(NoCardDescription) + path_});
        return;
    }
    haveAhead_ = readCard(ahead_, keepGoing);
    if (stopped_)
        return;
    // A failure after the first card still leaves that card to split off, so
    // that the failure gets an entry of its own after it.
    split_ = haveAhead_ || readFailure_.has_value();
    putAtHand(first);
}

bool FileContacts::next(const KeepGoing& keepGoing) {
    if (!cardFileAtHand_.empty() && fileFolder_)
        fileFolder_->removeFile(cardFileAtHand_);
    cardFileAtHand_.clear();
    current_.reset();
    if (stopped_ || restAbandoned_)
        return false;
    if (source_)
        source_->askWith(keepGoing);
    if (haveAhead_) {
        Card card = std::move(ahead_);
        haveAhead_ = readCard(ahead_, keepGoing);
        if (stopped_)
            return false;
        putAtHand(card);
        return true;
    }
    if (readFailure_) {
        putFailureAtHand(unreadable(path_, *std::exchange(readFailure_, {})));
        return true;
    }
    return false;
}

double FileContacts::fractionDone() const {
    if (!source_ || (!haveAhead_ && !readFailure_))
        return 1.0;
    const std::uint64_t size = source_->size();
    if (size == 0)
        return 1.0;
    return std::min(1.0, static_cast<double>(cardBytesDone_) / static_cast<double>(size));
}

bool FileContacts::readCard(Card& card, const KeepGoing& keepGoing) {
    if (!reader_ || readFailure_ || stopped_)
        return false;
    source_->askWith(keepGoing);
    auto read = reader_->next(card);
    if (!read) {
        if (!stopped_)
            readFailure_ = read.failure();
        return false;
    }
    return read.value();
}

void FileContacts::putAtHand(Card& card) {
    if (card.hidesCard) {
        const std::string where = card.number == 0 ? "before its first contact"
                                                   : "after contact " + std::to_string(card.number);
        putFailureAtHand(Failure{"Text in this file holds a BEGIN:VCARD where no contact can "
                                 "start, so a contact may be missing there: " +
                                 path_ + ", " + where});
        return;
    }
    FileContact contact;
    contact.number = card.number;
    contact.name = Utf8Shortened(card.displayName, LongestName);
    contact.named = card.named;
    if (readIdentities_ && !card.tooLarge)
        contact.identity = ReadCardIdentity(card.bytes, card.encoding);
    if (!card.tooLarge)
        contact.rest = ReadCardRest(card.bytes, card.encoding, keeps_, codePages_);
    if (card.end == CardEnd::CutByFileEnd)
        contact.note = "The file ends before this contact's END:VCARD line.";
    if (card.end == CardEnd::CutByNextCard)
        contact.note = "This contact has no END:VCARD line: the next contact begins before it "
                       "ends.";
    // Junk between cards is not counted, so the bar may lag a little behind
    // in such a file; it never runs ahead of the contacts.
    cardBytesDone_ += card.size;
    if (card.tooLarge) {
        contact.failure = Failure{
            "This contact is larger than " + std::to_string(LargestCard / (1024 * 1024)) +
            " MB and was not imported: " + path_ + ", contact " + std::to_string(card.number)};
        current_ = std::move(contact);
        return;
    }
    // Outlook would read UTF-8 text without a CHARSET in the Windows code
    // page, and UTF-16 text without a mark as 8-bit text; a repaired copy
    // goes instead, and the user's file stays as it is.
    std::optional<CharsetRepair> repair = RepairMissingCharsets(card.bytes, card.encoding);
    if (!split_ && !repair && !card.markSupplied) {
        contact.path = path_;
        current_ = std::move(contact);
        return;
    }
    if (repair)
        contact.repaired = std::move(repair->properties);
    auto folder = fileFolder();
    if (!folder) {
        contact.failure = unsplittable(path_, folder.failure());
        restAbandoned_ = split_;
        current_ = std::move(contact);
        return;
    }
    auto written = folder.value()->writeNewFile(CardFileName(card.number, contact.name),
                                                repair ? repair->bytes : card.bytes);
    // The disk will not take the next card either: one report for the file,
    // and the rest of it is recorded as not imported.
    if (!written) {
        contact.failure = unsplittable(path_, written.failure());
        restAbandoned_ = split_;
    } else
        cardFileAtHand_ = contact.path = std::move(written.value());
    current_ = std::move(contact);
}

void FileContacts::putFailureAtHand(Failure failure) {
    FileContact entry;
    entry.failure = std::move(failure);
    current_ = std::move(entry);
}

// Each split file gets a folder of its own inside the run's folder, so card
// files of two files never meet, whatever their names.
Outcome<CardFolder*> FileContacts::fileFolder() {
    if (fileFolder_)
        return fileFolder_.get();
    if (!runFolder_) {
        auto made = storage_.createCardFolder();
        if (!made)
            return made.failure();
        runFolder_ = std::move(made.value());
    }
    auto made = runFolder_->createFolder(std::to_string(++filesSplit_));
    if (!made)
        return made.failure();
    fileFolder_ = std::move(made.value());
    return fileFolder_.get();
}

} // namespace quorvane
