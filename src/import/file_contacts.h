#pragma once
// One queued file, seen as the contacts the import run hands Outlook one at a
// time. Outlook reads only the first card of a file it opens, so a file with
// several cards is split: each card is written, byte for byte, to a file of
// its own in a private folder of the run. A file with a single card is
// imported from the user's own path, untouched.

#include "platform/code_pages.h"
#include "platform/outcome.h"
#include "platform/run_storage.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

struct FileContact {
    std::size_t number = 0; // 1-based, in the file's order
    std::string name;       // for the progress text and the record
    std::string path;       // the file Outlook opens for this contact
    bool terminated = true; // false for a last card cut off before END:VCARD
};

// How the report of a file without any card begins; the path follows.
inline constexpr std::string_view NoCardDescription = "This file holds no vCard: ";

class FileContactSplitter {
public:
    FileContactSplitter(RunStorage& storage, CodePages& codePages);

    // The contacts of the file at `path`, in its order. A file that cannot be
    // read, holds no card or cannot be split is a failure that says so and
    // names the file. `keepGoing` is asked now
    // and then while a long file is split; once it answers false the split
    // stops and returns no contact.
    Outcome<std::vector<FileContact>> split(std::string_view path,
                                            const std::function<bool()>& keepGoing);

    // Removes the card files of the last file split (its folder and all).
    void releaseCardFiles();

private:
    Outcome<CardFolder*> newFileFolder();

    RunStorage& storage_;
    CodePages& codePages_;
    std::unique_ptr<CardFolder> runFolder_; // made when the first file needs it
    std::unique_ptr<CardFolder> fileFolder_;
    std::size_t filesSplit_ = 0;
};

} // namespace quorvane
