#pragma once

namespace quarrow {

// The entries' own timers, as the watch list asks for them: the window program backs them with
// QTimer, quarrow-cli and the tests with a TimerQueue. A started timer fires once, after
// `milliseconds`, by calling WatchScheduler::SpyTimerTimer(entry) on the thread that owns the
// list; starting a running timer restarts it. Both calls may come from a check worker, so
// implementations are thread-safe.
class WatchTimers {
public:
    virtual ~WatchTimers() = default;
    virtual void start(int entry, int milliseconds) = 0;
    virtual void stop(int entry) = 0;
};

}  // namespace quarrow
