#pragma once

#include <mutex>
#include <string>
#include <utility>

namespace quarrow {

// The search variables that outlive one search: the trimmed box text the trigger last saw,
// the text of the last tolerant search, and the line the next tolerant search for a longer
// text starts at.
struct SearchState {
    std::string CurrentQuery;
    std::string LastFuzzyQuery;
    int FuzzyResume = 0;
};

// The window thread's trigger and the search workers both read and write the state, so each
// access is one short locked step.
class SharedSearchState {
public:
    template <typename Step>
    auto update(Step&& step) {
        std::lock_guard lock(mutex_);
        return std::forward<Step>(step)(state_);
    }
    SearchState get() const {
        std::lock_guard lock(mutex_);
        return state_;
    }

private:
    mutable std::mutex mutex_;
    SearchState state_;
};

}  // namespace quarrow
