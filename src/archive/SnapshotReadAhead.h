#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "archive/LoadSnapshot.h"

namespace quarrow {

// One snapshot as LoadSnapshot left it.
struct ReadSnapshot {
    SnapshotLoad load = SnapshotLoad::Missing;
    SnapshotData snapshot;
    std::string host;
    std::string error;
};

// Reads a list of snapshots on two threads ahead of the caller, who takes them in order and
// merges one while the next two are unpacked and parsed: reading costs about twice the
// merging, so both cores stay busy. At most `kAhead` files are read or wait to be taken,
// which bounds the memory held. Destroying it stops the readers after the file each is on.
class SnapshotReadAhead {
public:
    static constexpr std::size_t kAhead = 2;

    explicit SnapshotReadAhead(const std::vector<std::string>& paths);

    // Waits for file `i` and hands it over; files are taken once each, in order.
    ReadSnapshot take(std::size_t i);
    // Gives back a taken file's lists once the caller is done with them: a file read later
    // fills their room instead of fresh memory.
    void recycle(SnapshotData used);

private:
    void readLoop(std::stop_token stop);

    const std::vector<std::string>& paths_;
    std::mutex mutex_;
    std::condition_variable_any changed_;
    std::vector<std::optional<ReadSnapshot>> read_;
    std::vector<SnapshotData> spare_;  // given back, at most one per reader
    std::size_t next_ = 0;             // the next file a reader starts on
    std::size_t taken_ = 0;            // files handed over so far
    // Last, so the readers are stopped and joined before the state they use goes.
    std::vector<std::jthread> readers_;
};

}  // namespace quarrow
