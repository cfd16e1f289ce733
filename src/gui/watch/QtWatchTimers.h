#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <memory>

#include "watch/WatchTimers.h"

class QTimer;

namespace quarrow {

class WindowInbox;

// The entries' own timers as single-shot QTimers of the window thread, one per entry, made on
// first use. A call from the window thread acts at once; a call from a check worker is handed
// to the window thread, and dropped once the timers are gone.
class QtWatchTimers : public QObject, public WatchTimers {
public:
    QtWatchTimers(std::function<void(int entry)> fire, QObject* parent);
    ~QtWatchTimers() override;

    void start(int entry, int milliseconds) override;  // any thread
    void stop(int entry) override;                     // any thread

    // What the window thread sees now: whether the entry's timer runs, and its interval.
    bool running(int entry) const;
    int interval(int entry) const;

private:
    void startHere(int entry, int milliseconds);
    void stopHere(int entry);
    bool onWindowThread() const;

    std::function<void(int)> fire_;
    std::map<int, QTimer*> timers_;
    std::shared_ptr<WindowInbox> inbox_;
};

}  // namespace quarrow
