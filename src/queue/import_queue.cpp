#include "queue/import_queue.h"

namespace quorvane {

void ImportQueue::add(std::string path) {
    rows_.append(path);
    notify();
}

void ImportQueue::addMany(std::vector<std::string>&& paths) {
    if (paths.empty())
        return;
    for (const std::string& path : paths)
        rows_.append(path);
    // The caller's batch is spent; its memory goes at once.
    std::vector<std::string>().swap(paths);
    notify();
}

void ImportQueue::addBatch(const RowBatch& rows) {
    if (rows.empty())
        return;
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows_.append(rows.at(i));
    notify();
}

void ImportQueue::endGrowth() {
    if (observer_)
        observer_->growthEnded();
}

bool ImportQueue::remove(std::size_t position) {
    if (position < 1 || position > rows_.size())
        return false;
    rows_.erase(position - 1);
    notify();
    return true;
}

void ImportQueue::clear() {
    // Counted even when empty: rows found before this Clear may still be on
    // their way from a search, and must not land after it.
    clears_.fetch_add(1, std::memory_order_acq_rel);
    if (rows_.empty())
        return;
    // The memory goes back too: a cleared queue of a million rows should not
    // keep holding it.
    rows_.clear();
    notify();
}

std::optional<std::string_view> ImportQueue::item(std::size_t position) const {
    if (position < 1 || position > rows_.size())
        return std::nullopt;
    return rows_.at(position - 1);
}

void ImportQueue::notify() {
    if (observer_)
        observer_->queueChanged();
}

} // namespace quorvane
