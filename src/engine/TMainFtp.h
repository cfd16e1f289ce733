#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/TFtpMain.h"

namespace quarrow {

// The scan-job table. Records are addressed by index (the job number) and held by shared
// pointers, so the table may grow under a running worker without moving a record away from it.
// `LastJobIndex` is -1 while the table is empty and is what workers test after each blocking
// call: once it is -1 the table is being emptied and they must end without touching it.
class TMainFtp {
public:
    int LastJobIndex() const { return lastJobIndex_.load(); }

    // Appends a fresh record and returns its job number.
    int add();

    // The record of job `index`, or null when the table holds no such job (or is being emptied).
    std::shared_ptr<TFtpMain> at(int index) const;

    // Every record currently in the table, in job order.
    std::vector<std::shared_ptr<TFtpMain>> all() const;

    // First step of emptying: workers see -1 from now on; the records stay until clear().
    void markEmpty() { lastJobIndex_.store(-1); }
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<TFtpMain>> records_;
    std::atomic<int> lastJobIndex_{-1};
};

}  // namespace quarrow
