#pragma once

#include <string>

namespace quarrow {

class WatchContext;
struct WatchEntry;

// When watch checks start, and what the watch list's buttons and timers do to its entries: the
// decisions of the watch tab with the drawing left out, so that the window, quarrow-cli and the
// tests run the same schedule. Every method runs on the thread that owns the list (the window
// thread); a worker only re-arms its entry's timer through WatchTimers.
class WatchScheduler {
public:
    explicit WatchScheduler(WatchContext& context);

    // After loading: attaches the window's timers to every listed entry and starts each
    // entry's timer, 10 ms for one checked at start, its interval otherwise.
    void ArmLoaded();
    // Attaches the window's timers to `entry` and starts its timer with its interval, as adding
    // or changing an entry does.
    void ArmEdited(int entry);

    // An entry's timer fired: starts a check unless one is running. A start while a stopped
    // check is still winding down is tried again 100 ms later, so two workers never share an
    // entry.
    void SpyTimerTimer(int entry);

    // "Start" / "Stop" on a line: stops a busy entry's check (its session is closed, the walk
    // ends at once and the partial result is written), or starts an idle one within 100 ms.
    void StartOrStop(int linePosition);
    // Stops every running check and every entry's timer, as the program does when it closes.
    void StopAll();
    // "Start all": every idle listed entry, inactive ones included, within 100 ms.
    void StartAll();
    // A click on a line with tick `active`: when it differs from the entry's Active, Active
    // follows it, the timer is started or stopped and the list saved.
    // False with `error` when the list could not be saved.
    bool SetActive(int linePosition, bool active, std::string* error);

    // The one-minute tick: the countdown texts of idle active entries.
    void Timer5Timer();
    bool AnyActive() const;

private:
    void attach(int entry);
    void stop(WatchEntry& record);

    WatchContext& context_;
};

}  // namespace quarrow
