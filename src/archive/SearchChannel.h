#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "archive/RunSearch.h"
#include "archive/SearchResults.h"
#include "archive/SearchState.h"

namespace quarrow {

// How the last search that ran to its end finished.
struct SearchRun {
    std::uint64_t generation = 0;
    SearchOutcome::Kind kind = SearchOutcome::Kind::Unchanged;
    double milliseconds = 0;
};

// What the window thread and the search workers share. Searches hold it by shared pointer,
// so it outlives whichever side ends first.
//
// Threading contract: `latest` and `newSearchUntil` are atomics either side touches at will;
// `state` locks itself; everything below `lock` is read and written only under it. A search
// publishes its hits only while its generation is still the latest, under `lock`, so the
// window never sees a half-built list nor a list older than the newest search's.
struct SearchChannel {
    std::atomic<std::uint64_t> latest{0};
    // The moment NewSearchFlag drops by itself, in steady-clock nanoseconds; 0 once a key
    // release lowered it.
    std::atomic<std::int64_t> newSearchUntil{0};
    SharedSearchState state;

    std::mutex lock;
    std::condition_variable idle;
    std::shared_ptr<const SearchResults> results;
    SearchRun lastRun;
    int running = 0;
};

}  // namespace quarrow
