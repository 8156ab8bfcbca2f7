// The folder search walks whatever tree the user points it at: links back up
// the tree, hidden and system folders, names with "?" and "~", letter case,
// folders that cannot be listed and entries whose attributes cannot be read.
// The fuzzer builds such a tree in memory and holds the search to its word:
// it ends (libFuzzer's timeout), queues only rows under what was chosen or
// dropped, finds every file a plain walk reaches, never queues one file twice,
// never tries one folder twice in a walk, and stops at once when the window
// closes.

#include "fake_file_system.h"
#include "fakes.h"
#include "queue/folder_commands.h"
#include "queue/folder_search.h"
#include "queue/import_queue.h"
#include "queue/search_worker.h"
#include "queue/wildcard.h"
#include "require.h"
#include "text/backslash_path.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

using namespace quorvane;
using quorvane::fuzz::require;
using namespace quorvane::testing;
using namespace std::chrono_literals;

namespace {

std::string folded(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return result;
}

// Paths as the file system reads them: letter case ignored, repeated
// backslashes one, no trailing backslash.
std::string canonical(std::string_view path) {
    std::string result;
    for (const char c : folded(path))
        if (c != '\\' || result.empty() || result.back() != '\\')
            result += c;
    while (result.size() > 1 && result.back() == '\\')
        result.pop_back();
    return result;
}

bool isUnder(std::string_view row, std::string_view folder) {
    return canonical(row).starts_with(canonical(folder) + '\\');
}

// What the fuzzer put in the tree, so it can say which files a plain walk
// (no links) of the chosen folder must find.
struct ModelEntry {
    std::string path;
    std::string linkTarget;
    std::size_t parent = 0; // index of the folder holding it
    enum class Kind { Folder, File, Link } kind = Kind::Folder;
    std::uint32_t attributes = 0;
    bool denied = false;
    bool attributesHidden = false;
};

class Model {
public:
    FakeFileSystem files;
    std::vector<ModelEntry> entries;

    Model() {
        add({"C:\\r", {}, 0, ModelEntry::Kind::Folder, FileAttribute::Directory});
        // Outside the chosen folder, for links to lead elsewhere.
        add({"C:\\out", {}, 1, ModelEntry::Kind::Folder, FileAttribute::Directory});
    }

    void build(FuzzedDataProvider& input) {
        const int operations = input.ConsumeIntegralInRange(0, 40);
        for (int i = 0; i < operations && input.remaining_bytes() > 0; ++i)
            apply(input);
    }

    std::vector<std::size_t> folders() const {
        std::vector<std::size_t> found;
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (entries[i].kind == ModelEntry::Kind::Folder)
                found.push_back(i);
        return found;
    }

    std::string pickPath(FuzzedDataProvider& input) const {
        const std::size_t i = input.ConsumeIntegralInRange<std::size_t>(0, entries.size());
        return i < entries.size() ? entries[i].path : "C:\\gone";
    }

    // For reading a finding: QUORVANE_FUZZ_VERBOSE=1 folder_search_fuzzer crash-...
    void print() const {
        for (const ModelEntry& e : entries) {
            const char* kind = e.kind == ModelEntry::Kind::Folder ? "folder"
                               : e.kind == ModelEntry::Kind::File ? "file"
                                                                  : "link";
            std::fprintf(stderr, "  %-6s %-24s attributes %02X%s%s%s%s\n", kind, e.path.c_str(),
                         static_cast<unsigned>(e.attributes), e.denied ? " denied" : "",
                         e.attributesHidden ? " unreadable-attributes" : "",
                         e.linkTarget.empty() ? "" : " -> ", e.linkTarget.c_str());
        }
    }

    // The files a walk of `root` that follows no link has to queue.
    std::vector<std::string> plainlyReachableVcfFiles(std::size_t root) const {
        std::vector<bool> searched(entries.size(), false);
        searched[root] = !entries[root].denied;
        std::vector<std::string> found;
        // Parents come before their children in `entries`.
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const ModelEntry& entry = entries[i];
            if (i == root || entry.parent == i || !searched[entry.parent] || i < root)
                continue;
            const std::string_view name = GetFileName(entry.path);
            if (entry.kind == ModelEntry::Kind::Folder) {
                const bool hidden =
                    entry.attributes & (FileAttribute::Hidden | FileAttribute::System);
                searched[i] = !hidden && !entry.denied && name.find('?') == std::string::npos;
            } else if (entry.kind == ModelEntry::Kind::File && MatchesWildcard(name, "*.vcf") &&
                       !name.starts_with('~')) {
                found.push_back(entry.path);
            }
        }
        return found;
    }

private:
    void add(ModelEntry entry) {
        if (entry.kind == ModelEntry::Kind::Folder)
            files.addFolder(entry.path, entry.attributes);
        entries.push_back(std::move(entry));
    }

    std::string name(FuzzedDataProvider& input, bool file) {
        static constexpr std::string_view Alphabet = "aAbB~?. x";
        std::string text;
        const int length = input.ConsumeIntegralInRange(1, 4);
        for (int i = 0; i < length; ++i)
            text += Alphabet[input.ConsumeIntegralInRange<std::size_t>(0, Alphabet.size() - 1)];
        if (file) {
            static constexpr std::string_view Extensions[] = {".vcf", ".VCF", ".vcfx", ".txt", ""};
            text += Extensions[input.ConsumeIntegralInRange<std::size_t>(0, 4)];
        }
        return text;
    }

    bool taken(std::size_t folder, std::string_view name) const {
        const std::string path = folded(entries[folder].path + '\\' + std::string(name));
        return name == "." || name == ".." ||
               std::any_of(entries.begin(), entries.end(),
                           [&](const ModelEntry& e) { return folded(e.path) == path; });
    }

    void apply(FuzzedDataProvider& input) {
        const std::vector<std::size_t> all = folders();
        const std::size_t folder =
            all[input.ConsumeIntegralInRange<std::size_t>(0, all.size() - 1)];
        static constexpr std::uint32_t Marks[] = {0, FileAttribute::Hidden, FileAttribute::System,
                                                  FileAttribute::ReadOnly};
        const std::uint32_t mark = Marks[input.ConsumeIntegralInRange(0, 3)];
        switch (input.ConsumeIntegralInRange(0, 4)) {
        case 0:
        case 1: {
            const bool file = input.ConsumeBool();
            const std::string entryName = name(input, file);
            if (taken(folder, entryName))
                return;
            const std::string path = entries[folder].path + '\\' + entryName;
            if (file) {
                files.addFile(path, FileAttribute::Archive | mark,
                              input.ConsumeBool() ? "ABCDEF~1.VCF" : "");
                entries.push_back({path, {}, folder, ModelEntry::Kind::File, mark});
            } else {
                add({path, {}, folder, ModelEntry::Kind::Folder, FileAttribute::Directory | mark});
            }
            return;
        }
        case 2: {
            const std::string entryName = name(input, false);
            const std::string target = pickPath(input);
            if (taken(folder, entryName))
                return;
            const std::string path = entries[folder].path + '\\' + entryName;
            files.addLink(path, target);
            entries.push_back({path, target, folder, ModelEntry::Kind::Link,
                               FileAttribute::Directory | FileAttribute::ReparsePoint});
            return;
        }
        case 3:
            files.denyListing(entries[folder].path);
            entries[folder].denied = true;
            return;
        case 4: {
            const std::size_t i = input.ConsumeIntegralInRange<std::size_t>(0, entries.size() - 1);
            files.hideAttributes(entries[i].path);
            entries[i].attributesHidden = true;
            return;
        }
        }
    }
};

// Passes every call on, and watches the folder listings: a walk lists each
// folder once, everything in it, with a path ending in a backslash; a drop
// first looks its path up with a folder listing of the path itself, which
// starts a new walk.
class WatchedFileSystem final : public FileSystem {
public:
    WatchedFileSystem(FakeFileSystem& files, const FakeWindow& window, bool verbose)
        : files_(files), window_(window), verbose_(verbose) {}

    Outcome<std::unique_ptr<FolderListing>> list(std::string_view search,
                                                 ListingMask mask) override {
        if (verbose_)
            std::fprintf(stderr, "  list %.*s (%s)\n", static_cast<int>(search.size()),
                         search.data(), maskName(mask));
        require(!window_.isClosing, "nothing is listed once the window is closing");
        if (mask == ListingMask::Folders && !search.ends_with('\\'))
            walkIdentities_.clear();
        if (mask == ListingMask::Everything) {
            require(search.ends_with('\\'), "a walk lists whole folders");
            auto identity = files_.identity(search);
            if (identity) {
                const FileIdentity& id = identity.value();
                require(walkIdentities_.insert({id.volume, id.indexHigh, id.indexLow}).second,
                        "a walk tries each folder once, whatever path leads to it");
            }
        }
        return files_.list(search, mask);
    }
    Outcome<std::uint32_t> attributes(std::string_view path) override {
        return files_.attributes(path);
    }
    Outcome<FileIdentity> identity(std::string_view folder) override {
        return files_.identity(folder);
    }

private:
    static const char* maskName(ListingMask mask) {
        switch (mask) {
        case ListingMask::Folders:
            return "folders";
        case ListingMask::Files:
            return "files";
        case ListingMask::Everything:
            return "everything";
        }
        return "?";
    }

    FakeFileSystem& files_;
    const FakeWindow& window_;
    bool verbose_;
    std::set<std::tuple<std::uint64_t, std::uint64_t, std::uint64_t>> walkIdentities_;
};

std::vector<std::string> rowsOf(const ImportQueue& queue) {
    std::vector<std::string> rows;
    for (std::size_t i = 1; i <= queue.count(); ++i)
        rows.emplace_back(*queue.item(i));
    return rows;
}

std::uint64_t fileIndex(FakeFileSystem& files, std::string_view path) {
    auto identity = files.identity(path);
    require(identity.succeeded(), "every row names a file that is there");
    return identity.value().indexLow;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    Model model;
    model.build(input);
    const bool verbose = std::getenv("QUORVANE_FUZZ_VERBOSE") != nullptr;
    if (verbose)
        model.print();

    ManualClock clock;
    FakeWindow window(&clock);
    ImportQueue queue;
    WatchedFileSystem watched(model.files, window, verbose);
    SearchWorker worker(watched, clock, window, queue);
    FolderSearch search(worker);

    const auto stepMs = std::chrono::milliseconds(input.ConsumeIntegralInRange(0, 30));
    model.files.onEntry = [&] { clock.advance(stepMs); };
    const int closeAtYield = input.ConsumeIntegralInRange(0, 4); // 0: never
    window.onYield = [&] {
        if (window.yields == closeAtYield)
            window.isClosing = true;
    };

    const bool drop = input.ConsumeBool();
    if (!drop) {
        static constexpr std::string_view Chosen[] = {"C:\\r", "c:\\R", "C:\\r\\", "C:\\\\r",
                                                      "C:\\"};
        const std::string_view chosen = Chosen[input.ConsumeIntegralInRange(0, 4)];
        const YieldResult result = QueueFolderFiles(search, chosen);
        const std::vector<std::string> rows = rowsOf(queue);
        std::set<std::uint64_t> found;
        for (const std::string& row : rows) {
            require(isUnder(row, chosen), "every row is under the chosen folder");
            const std::string_view name = GetFileName(row);
            require(MatchesWildcard(name, "*.vcf") && !name.starts_with('~'),
                    "every row is a *.vcf file not named ~");
            require(found.insert(fileIndex(model.files, row)).second, "no file is queued twice");
        }
        if (result == YieldResult::KeepGoing && chosen != "C:\\") {
            for (const std::string& path : model.plainlyReachableVcfFiles(0))
                require(found.contains(fileIndex(model.files, path)),
                        "every file a plain walk reaches is queued");
        }
    } else {
        std::vector<std::string> dropped;
        const int count = input.ConsumeIntegralInRange(1, 3);
        for (int i = 0; i < count; ++i)
            dropped.push_back(model.pickPath(input));
        (void)QueueDroppedPaths(search, dropped);
        for (const std::string& row : rowsOf(queue)) {
            const bool underADrop =
                std::any_of(dropped.begin(), dropped.end(), [&](const std::string& path) {
                    return row == path || isUnder(row, path);
                });
            require(underADrop, "every row is a dropped path or under one");
            const bool droppedItself =
                std::find(dropped.begin(), dropped.end(), row) != dropped.end();
            require(droppedItself || !GetFileName(row).starts_with('~'),
                    "a file named ~ is queued only when dropped itself");
        }
    }

    require(search.firstUnreadable().size() <= UnreadableFoldersNamed,
            "the report names at most a few folders");
    require(search.unreadableCount() >= search.firstUnreadable().size(),
            "the count covers the named folders");
    return 0;
}
