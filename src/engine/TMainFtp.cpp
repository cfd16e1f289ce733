#include "engine/TMainFtp.h"

namespace quarrow {

int TMainFtp::add() {
    std::lock_guard lock(mutex_);
    // A table marked empty but not yet cleared starts again from job 0.
    if (lastJobIndex_.load() < 0) records_.clear();
    records_.push_back(std::make_shared<TFtpMain>());
    const int index = static_cast<int>(records_.size()) - 1;
    lastJobIndex_.store(index);
    return index;
}

std::shared_ptr<TFtpMain> TMainFtp::at(int index) const {
    std::lock_guard lock(mutex_);
    if (index < 0 || index > lastJobIndex_.load() || index >= static_cast<int>(records_.size()))
        return nullptr;
    return records_[static_cast<std::size_t>(index)];
}

std::vector<std::shared_ptr<TFtpMain>> TMainFtp::all() const {
    std::lock_guard lock(mutex_);
    if (lastJobIndex_.load() < 0) return {};
    return records_;
}

void TMainFtp::clear() {
    std::lock_guard lock(mutex_);
    records_.clear();
    lastJobIndex_.store(-1);
}

}  // namespace quarrow
