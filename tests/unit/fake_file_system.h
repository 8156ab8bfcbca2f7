#pragma once
// An in-memory file system that behaves like a Windows volume where the folder
// search can tell: listing order is the order entries were added, names
// ignore letter case, repeated backslashes read as one, hidden and system
// marks steer the listing masks, 8.3 short names match patterns too, and links
// (junctions) lead to other folders, back up the tree included.
//
// The folder search calls it from its own thread while the window's thread
// may look at dropped paths: the tree is only read once a search has begun,
// and the calls' records are kept under a lock. A test reads the records once
// the command that searched has returned.

#include "platform/file_system.h"
#include "queue/wildcard.h"

#include <cassert>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::testing {

class FakeFileSystem final : public FileSystem {
public:
    // Called on every entry a listing hands out, e.g. to move a clock.
    std::function<void()> onEntry;
    std::vector<std::string> searches; // every list() call, in order
    int attributeQueries = 0;
    int identityQueries = 0;

    // Parents are created as plain folders where missing.
    void addFolder(std::string_view path, std::uint32_t attributes = FileAttribute::Directory) {
        make(path, attributes | FileAttribute::Directory);
    }
    void addFile(std::string_view path, std::uint32_t attributes = FileAttribute::Archive,
                 std::string shortName = {}) {
        make(path, attributes).shortName = std::move(shortName);
    }
    // A junction at `path` leading to the folder `target`.
    void addLink(std::string_view path, std::string_view target) {
        make(path, FileAttribute::Directory | FileAttribute::ReparsePoint).linkTarget = target;
    }
    void denyListing(std::string_view path, std::string reason = "Access is denied.") {
        find(path).listingFailure = std::move(reason);
    }
    // The listing cannot tell the entry's attributes and asking for them fails.
    void hideAttributes(std::string_view path) { find(path).attributesReadable = false; }

    Outcome<std::unique_ptr<FolderListing>> list(std::string_view search,
                                                 ListingMask mask) override {
        {
            const std::lock_guard lock(recording_);
            searches.emplace_back(search);
        }
        const std::size_t cut = search.rfind('\\');
        if (cut == std::string_view::npos)
            return Failure{"The filename, directory name, or volume label syntax is incorrect."};
        std::string_view pattern = search.substr(cut + 1);
        if (pattern.empty())
            pattern = "*";
        const Node* folder = resolve(search.substr(0, cut), true);
        if (!folder)
            return Failure{"The system cannot find the path specified."};
        if (!(folder->attributes & FileAttribute::Directory))
            return Failure{"The directory name is invalid."};
        if (folder->listingFailure)
            return Failure{*folder->listingFailure};

        auto listing = std::make_unique<Listing>(onEntry);
        if (folder->parent && ListingAdmits(mask, FileAttribute::Directory)) {
            for (std::string_view dots : {".", ".."})
                if (MatchesWildcard(dots, pattern))
                    listing->entries.push_back(
                        {std::string(dots), FileAttribute::Directory, false});
        }
        for (const auto& child : folder->children) {
            if (!ListingAdmits(mask, child->attributes))
                continue;
            const bool matches =
                MatchesWildcard(child->name, pattern) ||
                (!child->shortName.empty() && MatchesWildcard(child->shortName, pattern));
            if (!matches)
                continue;
            std::optional<std::uint32_t> shown;
            if (child->attributesReadable)
                shown = child->attributes;
            listing->entries.push_back({child->name, shown, !child->linkTarget.empty()});
        }
        return std::unique_ptr<FolderListing>(std::move(listing));
    }

    Outcome<std::uint32_t> attributes(std::string_view path) override {
        {
            const std::lock_guard lock(recording_);
            ++attributeQueries;
        }
        const Node* node = resolve(path, false);
        if (!node)
            return Failure{"The system cannot find the file specified."};
        if (!node->attributesReadable)
            return Failure{"Access is denied."};
        return node->attributes;
    }

    Outcome<FileIdentity> identity(std::string_view folder) override {
        {
            const std::lock_guard lock(recording_);
            ++identityQueries;
        }
        const Node* node = resolve(folder, true);
        if (!node)
            return Failure{"The system cannot find the path specified."};
        return FileIdentity{node->volume, 0, node->index};
    }

private:
    struct Node {
        std::string name;
        std::string shortName;
        std::uint32_t attributes = FileAttribute::Directory;
        std::string linkTarget;
        std::optional<std::string> listingFailure;
        bool attributesReadable = true;
        Node* parent = nullptr;
        std::uint64_t volume = 0;
        std::uint64_t index = 0;
        std::vector<std::unique_ptr<Node>> children;
    };

    class Listing final : public FolderListing {
    public:
        explicit Listing(const std::function<void()>& onEntry) : onEntry_(onEntry) {}
        std::vector<FolderEntry> entries;
        Outcome<std::optional<FolderEntry>> next() override {
            if (onEntry_)
                onEntry_();
            if (at_ == entries.size())
                return std::optional<FolderEntry>();
            return std::optional<FolderEntry>(entries[at_++]);
        }

    private:
        std::function<void()> onEntry_; // a copy: the test may replace its own
        std::size_t at_ = 0;
    };

    static bool sameName(std::string_view a, std::string_view b) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            const auto fold = [](char c) {
                return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
            };
            if (fold(a[i]) != fold(b[i]))
                return false;
        }
        return true;
    }

    static std::vector<std::string_view> components(std::string_view path) {
        std::vector<std::string_view> parts;
        while (!path.empty()) {
            const std::size_t cut = path.find('\\');
            if (cut != 0)
                parts.push_back(path.substr(0, cut));
            if (cut == std::string_view::npos)
                break;
            path.remove_prefix(cut + 1);
        }
        return parts;
    }

    static Node* child(const Node& folder, std::string_view name) {
        for (const auto& c : folder.children)
            if (sameName(c->name, name))
                return c.get();
        return nullptr;
    }

    // Follows links on the way, and at the end too when asked. A path through
    // more than a few links fails, as one through too many does on a real
    // system (the limit is lower here so that a search without cycle
    // protection ends quickly in a test).
    Node* resolve(std::string_view path, bool followLast) const {
        int linksLeft = 8;
        return resolve(path, followLast, linksLeft);
    }
    Node* resolve(std::string_view path, bool followLast, int& linksLeft) const {
        const auto parts = components(path);
        if (parts.empty())
            return nullptr;
        Node* node = nullptr;
        for (const auto& drive : drives_)
            if (sameName(drive->name, parts[0]))
                node = drive.get();
        for (std::size_t i = 1; node && i < parts.size(); ++i) {
            node = child(*node, parts[i]);
            const bool last = i + 1 == parts.size();
            if (node && !node->linkTarget.empty() && (!last || followLast)) {
                if (linksLeft-- == 0)
                    return nullptr;
                node = resolve(node->linkTarget, true, linksLeft);
            }
        }
        return node;
    }

    Node& find(std::string_view path) {
        Node* node = resolve(path, false);
        assert(node && "the test names a path it did not add");
        return *node;
    }

    Node& make(std::string_view path, std::uint32_t attributes) {
        const auto parts = components(path);
        assert(!parts.empty() && "a path needs at least a drive");
        Node* node = nullptr;
        for (const auto& drive : drives_)
            if (sameName(drive->name, parts[0]))
                node = drive.get();
        if (!node) {
            drives_.push_back(std::make_unique<Node>());
            node = drives_.back().get();
            node->name = std::string(parts[0]);
            node->volume = drives_.size();
            node->index = ++lastIndex_;
        }
        for (std::size_t i = 1; i < parts.size(); ++i) {
            Node* next = child(*node, parts[i]);
            if (!next) {
                node->children.push_back(std::make_unique<Node>());
                next = node->children.back().get();
                next->name = std::string(parts[i]);
                next->parent = node;
                next->volume = node->volume;
                next->index = ++lastIndex_;
            }
            node = next;
        }
        node->attributes = attributes;
        return *node;
    }

    std::vector<std::unique_ptr<Node>> drives_;
    std::uint64_t lastIndex_ = 0;
    std::mutex recording_;
};

} // namespace quorvane::testing
