#pragma once
// The import queue: the ordered file paths the import run hands to Outlook.
// It is the list's one store: the list view draws its rows straight from
// here (a virtual list), so there is no second copy to keep in step.
// Append-only, duplicates kept, nothing validated or rewritten.

#include "queue/row_batch.h"
#include "queue/row_store.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// Told after every change so a view can redraw; it must not change the queue.
class QueueObserver {
public:
    virtual ~QueueObserver() = default;
    virtual void queueChanged() = 0;
    // A run of appends has ended (a folder search queued its last row): a
    // view that shows a growing queue only now and then shows every row now.
    virtual void growthEnded() {}
};

class ImportQueue {
public:
    void setObserver(QueueObserver* observer) { observer_ = observer; }

    void add(std::string path);
    // Appends many rows with one notification, for the folder commands.
    void addMany(std::vector<std::string>&& paths);
    void addBatch(const RowBatch& rows);
    // Tells the observer that no more rows are coming for now.
    void endGrowth();
    // Positions are 1-based. Returns false when there is no such row.
    bool remove(std::size_t position);
    void clear();
    // How many times the queue has been cleared. Read on any thread: the
    // folder search's thread drops the rows it found before a Clear.
    std::uint64_t clears() const { return clears_.load(std::memory_order_acquire); }

    std::size_t count() const { return rows_.size(); }
    // The row's text, or nothing when the position is outside 1..count. The
    // view is good until the queue next changes.
    std::optional<std::string_view> item(std::size_t position) const;

private:
    void notify();

    RowStore rows_;
    QueueObserver* observer_ = nullptr;
    std::atomic<std::uint64_t> clears_{0};
};

} // namespace quorvane
