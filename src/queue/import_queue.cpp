#include "queue/import_queue.h"

#include <iterator>

namespace quorvane {

void ImportQueue::add(std::string path) {
    rows_.push_back(std::move(path));
    notify();
}

void ImportQueue::addMany(std::vector<std::string>&& paths) {
    if (paths.empty())
        return;
    rows_.insert(rows_.end(), std::make_move_iterator(paths.begin()),
                 std::make_move_iterator(paths.end()));
    notify();
}

bool ImportQueue::remove(std::size_t position) {
    if (position < 1 || position > rows_.size())
        return false;
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(position - 1));
    notify();
    return true;
}

void ImportQueue::clear() {
    if (rows_.empty())
        return;
    // Give the memory back too: a cleared queue of a million rows should not
    // keep holding it.
    std::vector<std::string>().swap(rows_);
    notify();
}

std::optional<std::string_view> ImportQueue::item(std::size_t position) const {
    if (position < 1 || position > rows_.size())
        return std::nullopt;
    return rows_[position - 1];
}

void ImportQueue::notify() {
    if (observer_)
        observer_->queueChanged();
}

} // namespace quorvane
