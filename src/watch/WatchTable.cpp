#include "watch/WatchTable.h"

namespace quarrow {

int WatchTable::add() {
    std::lock_guard lock(mutex_);
    records_.push_back(std::make_shared<WatchEntry>());
    return static_cast<int>(records_.size()) - 1;
}

std::shared_ptr<WatchEntry> WatchTable::at(int index) const {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= static_cast<int>(records_.size())) return nullptr;
    return records_[static_cast<std::size_t>(index)];
}

int WatchTable::size() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(records_.size());
}

std::vector<WatchTable::Line> WatchTable::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

void WatchTable::appendLine(int entry, std::string text, bool ticked) {
    std::lock_guard lock(mutex_);
    lines_.push_back({entry, std::move(text), ticked});
    updateLastIndex();
}

void WatchTable::replaceLine(int position, std::string text, bool ticked) {
    std::lock_guard lock(mutex_);
    if (position < 0 || position >= static_cast<int>(lines_.size())) return;
    lines_[static_cast<std::size_t>(position)].text = std::move(text);
    lines_[static_cast<std::size_t>(position)].ticked = ticked;
}

void WatchTable::setTicked(int position, bool ticked) {
    std::lock_guard lock(mutex_);
    if (position >= 0 && position < static_cast<int>(lines_.size()))
        lines_[static_cast<std::size_t>(position)].ticked = ticked;
}

void WatchTable::untickAll() {
    std::lock_guard lock(mutex_);
    for (Line& line : lines_) line.ticked = false;
}

void WatchTable::removeLine(int position) {
    std::lock_guard lock(mutex_);
    if (position < 0 || position >= static_cast<int>(lines_.size())) return;
    lines_.erase(lines_.begin() + position);
    updateLastIndex();
}

int WatchTable::positionOf(int entry) const {
    std::lock_guard lock(mutex_);
    for (std::size_t p = 0; p < lines_.size(); ++p)
        if (lines_[p].entry == entry) return static_cast<int>(p);
    return -1;
}

void WatchTable::updateLastIndex() {
    lastWatchIndex_.store(static_cast<int>(lines_.size()) - 1);
}

}  // namespace quarrow
