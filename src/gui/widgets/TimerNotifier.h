#pragma once

#include <QTimer>
#include <atomic>
#include <memory>
#include <mutex>

#include "engine/Notifier.h"

namespace quarrow {

// The one place where worker threads reach the window thread. A worker's enable() posts a
// single queued call to the window thread, which starts the window's one-shot timer unless it
// is already running; further enable() calls before that call has run are dropped, so a burst
// of progress costs one wake-up and one redraw. The window calls detach() before the timer is
// destroyed; enable() then does nothing, and a call already posted is discarded with the timer.
class TimerNotifier : public Notifier, public std::enable_shared_from_this<TimerNotifier> {
public:
    explicit TimerNotifier(QTimer* timer);

    void enable() override;  // any thread
    void detach();           // window thread

private:
    void startTimer();  // window thread

    std::mutex mutex_;
    QTimer* timer_;  // guarded by mutex_; null once detached
    std::atomic<bool> pending_{false};
};

}  // namespace quarrow
