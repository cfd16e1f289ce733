#pragma once

#include <functional>

namespace quarrow {

class EngineContext;

// Stops job `jobNumber` the way closing its scan page does: detaches the timers, asks the
// worker to stop, waits for a save in progress, closes the FTP session (a blocking call in the
// worker fails at once), empties the lists, records the sort request and marks the page gone.
// For the last page the table is then emptied, after that job's worker has left its walk.
// `pump` runs while waiting (the window processes its events there; a console just sleeps).
void ClosePage(EngineContext& context, int jobNumber, bool lastPage,
               const std::function<void()>& pump);

// The status a closed page leaves behind when the sort was requested ("sorting alphabetically").
extern const char* const kSortingStatus;

}  // namespace quarrow
