#include "gui/watch/QtWatchTimers.h"

#include <QThread>
#include <QTimer>

#include "gui/widgets/WindowInbox.h"

namespace quarrow {

QtWatchTimers::QtWatchTimers(std::function<void(int)> fire, QObject* parent)
    : QObject(parent), fire_(std::move(fire)), inbox_(std::make_shared<WindowInbox>(this)) {}

QtWatchTimers::~QtWatchTimers() {
    inbox_->detach();
}

bool QtWatchTimers::onWindowThread() const {
    return QThread::currentThread() == thread();
}

void QtWatchTimers::start(int entry, int milliseconds) {
    if (onWindowThread())
        startHere(entry, milliseconds);
    else
        inbox_->post([this, entry, milliseconds] { startHere(entry, milliseconds); });
}

void QtWatchTimers::stop(int entry) {
    if (onWindowThread())
        stopHere(entry);
    else
        inbox_->post([this, entry] { stopHere(entry); });
}

void QtWatchTimers::startHere(int entry, int milliseconds) {
    QTimer*& timer = timers_[entry];
    if (!timer) {
        timer = new QTimer(this);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, [this, entry] { fire_(entry); });
    }
    timer->start(milliseconds);
}

void QtWatchTimers::stopHere(int entry) {
    if (const auto found = timers_.find(entry); found != timers_.end()) found->second->stop();
}

bool QtWatchTimers::running(int entry) const {
    const auto found = timers_.find(entry);
    return found != timers_.end() && found->second->isActive();
}

int QtWatchTimers::interval(int entry) const {
    const auto found = timers_.find(entry);
    return found != timers_.end() ? found->second->interval() : 0;
}

}  // namespace quarrow
