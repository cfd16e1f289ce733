#pragma once

namespace quarrow {

// How a worker wakes whoever displays its record: the window's one-shot timers, or the
// command-line tool's status loop. enable() is called from worker threads and must be
// thread-safe and cheap; repeated calls before the displayer has looked may coalesce into one.
class Notifier {
public:
    virtual ~Notifier() = default;
    virtual void enable() = 0;
};

}  // namespace quarrow
