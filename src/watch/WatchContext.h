#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "engine/EngineContext.h"
#include "engine/Notifier.h"
#include "watch/WatchTable.h"
#include "watch/WatchTexts.h"
#include "watch/WatchTimers.h"

namespace quarrow {

// The watch list's process-wide state in one object: the table, the texts, the timers, the
// balloon text, and the engine whose program folder, comment lines, connection settings and
// worker threads the checks share with scans.
class WatchContext {
public:
    WatchContext(EngineContext& engine, WatchTimers& timers);

    EngineContext& Engine;
    WatchTable Table;
    WatchTimers& Timers;

    // The window's refresh (Timer7) and balloon (Timer6) timers, attached to every entry.
    std::shared_ptr<Notifier> RefreshTimer;
    std::shared_ptr<Notifier> BalloonTimer;

    std::shared_ptr<const WatchTexts> Texts() const;
    void setTexts(WatchTexts texts);

    // The text of the next balloon: the status of the check that ended last.
    std::string BalloonText() const;
    void setBalloonText(std::string text);

private:
    mutable std::mutex mutex_;
    std::shared_ptr<const WatchTexts> texts_;
    std::string balloonText_;
};

}  // namespace quarrow
