#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <mutex>

namespace quarrow {

// Hands a worker's finished work to the window thread: post() queues a call that runs in the
// target object's thread. The window calls detach() before the target goes away; later posts
// are dropped, and a call already queued is discarded with the target or skipped once
// detached, so a worker that outlives the window never reaches it.
class WindowInbox : public std::enable_shared_from_this<WindowInbox> {
public:
    explicit WindowInbox(QObject* target);

    void post(std::function<void()> call);  // any thread
    void detach();                          // window thread

private:
    bool attached();

    std::mutex mutex_;
    QObject* target_;  // guarded by mutex_; null once detached
};

}  // namespace quarrow
