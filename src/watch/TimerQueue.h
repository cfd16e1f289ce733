#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "watch/WatchTimers.h"

namespace quarrow {

// Entry timers as deadlines on a clock its owner reads: quarrow-cli runs them on the steady
// clock, tests on a clock they move by hand. Started from any thread; the owner takes the due
// entries and hands each to WatchScheduler::SpyTimerTimer.
class TimerQueue : public WatchTimers {
public:
    using Clock = std::chrono::steady_clock;
    explicit TimerQueue(std::function<Clock::time_point()> now = Clock::now);

    void start(int entry, int milliseconds) override;
    void stop(int entry) override;

    // The entries whose deadline has come, earliest first; their timers are stopped.
    std::vector<int> takeDue();
    std::optional<Clock::time_point> nextDeadline() const;
    // The entries whose timer runs, with its deadline.
    std::map<int, Clock::time_point> running() const;

private:
    std::function<Clock::time_point()> now_;
    mutable std::mutex mutex_;
    std::map<int, Clock::time_point> deadlines_;
};

}  // namespace quarrow
