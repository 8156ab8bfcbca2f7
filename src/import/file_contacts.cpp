#include "import/file_contacts.h"

#include "cards/card_file_name.h"
#include "cards/card_reader.h"

#include <optional>
#include <utility>

namespace quorvane {

namespace {

// How many cards are split between two questions to `keepGoing`.
constexpr std::size_t CardsPerYield = 64;

Failure unreadable(std::string_view path, const Failure& why) {
    return Failure{"This file could not be read: " + std::string(path) + "\r\n" + why.description};
}

Failure unsplittable(std::string_view path, const Failure& why) {
    return Failure{"The contacts of this file could not be written out one by one for Outlook: " +
                   std::string(path) + "\r\n" + why.description};
}

} // namespace

FileContactSplitter::FileContactSplitter(RunStorage& storage, CodePages& codePages)
    : storage_(storage), codePages_(codePages) {}

void FileContactSplitter::releaseCardFiles() {
    fileFolder_.reset();
}

// Each split file gets a folder of its own inside the run's folder, so card
// files of two files never meet, whatever their names.
Outcome<CardFolder*> FileContactSplitter::newFileFolder() {
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

Outcome<std::vector<FileContact>>
FileContactSplitter::split(std::string_view path, const std::function<bool()>& keepGoing) {
    releaseCardFiles();
    auto source = storage_.openForReading(path);
    if (!source)
        return unreadable(path, source.failure());
    CardReader reader(*source.value(), codePages_);

    // The first card is held back until the second shows whether the file
    // needs splitting at all.
    std::optional<Card> first;
    std::vector<FileContact> contacts;
    CardFolder* folder = nullptr;
    const auto writeOut = [&](const Card& card) -> Outcome<void> {
        auto written =
            folder->writeNewFile(CardFileName(card.number, card.displayName), card.bytes);
        if (!written)
            return written.failure();
        contacts.push_back({card.number, card.displayName, std::move(written.value()),
                            card.end == CardEnd::Complete});
        return Success();
    };

    Card card;
    for (;;) {
        auto next = reader.next(card);
        if (!next)
            return unreadable(path, next.failure());
        if (!next.value())
            break;
        if (!first) {
            first = std::move(card);
            continue;
        }
        if (!folder) {
            auto made = newFileFolder();
            if (!made)
                return unsplittable(path, made.failure());
            folder = made.value();
            if (auto written = writeOut(*first); !written)
                return unsplittable(path, written.failure());
        }
        if (auto written = writeOut(card); !written)
            return unsplittable(path, written.failure());
        if (contacts.size() % CardsPerYield == 0 && !keepGoing())
            return std::vector<FileContact>{};
    }

    if (!first)
        return Failure{std::string(NoCardDescription) + std::string(path)};
    if (!folder)
        contacts.push_back({first->number, first->displayName, std::string(path),
                            first->end == CardEnd::Complete});
    return contacts;
}

} // namespace quorvane
