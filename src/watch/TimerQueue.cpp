#include "watch/TimerQueue.h"

#include <algorithm>

namespace quarrow {

TimerQueue::TimerQueue(std::function<Clock::time_point()> now) : now_(std::move(now)) {}

void TimerQueue::start(int entry, int milliseconds) {
    const auto deadline = now_() + std::chrono::milliseconds(std::max(milliseconds, 0));
    std::lock_guard lock(mutex_);
    deadlines_[entry] = deadline;
}

void TimerQueue::stop(int entry) {
    std::lock_guard lock(mutex_);
    deadlines_.erase(entry);
}

std::vector<int> TimerQueue::takeDue() {
    const auto now = now_();
    std::vector<std::pair<Clock::time_point, int>> due;
    {
        std::lock_guard lock(mutex_);
        for (auto it = deadlines_.begin(); it != deadlines_.end();) {
            if (it->second <= now) {
                due.emplace_back(it->second, it->first);
                it = deadlines_.erase(it);
            } else {
                ++it;
            }
        }
    }
    std::sort(due.begin(), due.end());
    std::vector<int> entries;
    for (const auto& [when, entry] : due) entries.push_back(entry);
    return entries;
}

std::optional<TimerQueue::Clock::time_point> TimerQueue::nextDeadline() const {
    std::lock_guard lock(mutex_);
    std::optional<Clock::time_point> next;
    for (const auto& [entry, when] : deadlines_)
        if (!next || when < *next) next = when;
    return next;
}

std::map<int, TimerQueue::Clock::time_point> TimerQueue::running() const {
    std::lock_guard lock(mutex_);
    return deadlines_;
}

}  // namespace quarrow
