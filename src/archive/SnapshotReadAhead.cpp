#include "archive/SnapshotReadAhead.h"

#include <utility>

namespace quarrow {

SnapshotReadAhead::SnapshotReadAhead(const std::vector<std::string>& paths)
    : paths_(paths), read_(paths.size()) {
    const std::size_t readers = paths.size() > 1 ? 2 : paths.size();
    for (std::size_t r = 0; r < readers; ++r)
        readers_.emplace_back([this](std::stop_token stop) { readLoop(stop); });
}

ReadSnapshot SnapshotReadAhead::take(std::size_t i) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return read_[i].has_value(); });
    ReadSnapshot taken = std::move(*read_[i]);
    read_[i].reset();
    taken_ = i + 1;
    changed_.notify_all();
    return taken;
}

void SnapshotReadAhead::recycle(SnapshotData used) {
    std::lock_guard lock(mutex_);
    if (spare_.size() < readers_.size()) spare_.push_back(std::move(used));
}

void SnapshotReadAhead::readLoop(std::stop_token stop) {
    SnapshotBuffers buffers;
    std::unique_lock lock(mutex_);
    while (true) {
        const bool due = changed_.wait(
            lock, stop, [&] { return next_ >= paths_.size() || next_ < taken_ + kAhead; });
        if (!due || next_ >= paths_.size()) return;
        const std::size_t i = next_++;
        if (!spare_.empty()) {
            buffers.dirs = std::move(spare_.back().dirs);
            buffers.names = std::move(spare_.back().names);
            spare_.pop_back();
        }
        lock.unlock();
        ReadSnapshot file;
        file.load = LoadSnapshot(paths_[i], file.snapshot, file.host, &file.error, &buffers);
        lock.lock();
        read_[i] = std::move(file);
        changed_.notify_all();
    }
}

}  // namespace quarrow
