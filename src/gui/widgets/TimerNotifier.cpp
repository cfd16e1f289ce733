#include "gui/widgets/TimerNotifier.h"

namespace quarrow {

TimerNotifier::TimerNotifier(QTimer* timer) : timer_(timer) {}

void TimerNotifier::enable() {
    if (pending_.exchange(true)) return;
    std::lock_guard lock(mutex_);
    if (!timer_) return;
    // The timer is the call's context object: the call runs in its thread and is dropped when
    // the timer is destroyed first.
    QMetaObject::invokeMethod(
        timer_,
        [weak = weak_from_this()] {
            if (const auto self = weak.lock()) self->startTimer();
        },
        Qt::QueuedConnection);
}

void TimerNotifier::detach() {
    std::lock_guard lock(mutex_);
    timer_ = nullptr;
}

void TimerNotifier::startTimer() {
    pending_.store(false);
    std::lock_guard lock(mutex_);
    if (timer_ && !timer_->isActive()) timer_->start();
}

}  // namespace quarrow
