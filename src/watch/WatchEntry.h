#pragma once

#include <atomic>

#include "engine/TFtpMain.h"
#include "watch/NewItemList.h"

namespace quarrow {

// One watch entry: the record a scan uses, with the watch-only fields of TFtpMain in use, plus
// what only a watch check has. In a watch entry `FileNames` is the folder queue of the running
// check, `ResumeBase` the save name and `TextExport` the save type; `Connected` means busy.
struct WatchEntry : TFtpMain {
    // The new-items list of the last or running check (its `FileDirs`).
    NewItemList NewItems;
    // True from the moment a check is started until its worker has ended. Stop clears
    // `Connected` at once, but a new check waits for this, so two workers never share an entry.
    std::atomic<bool> WorkerRunning{false};
};

}  // namespace quarrow
