#pragma once

#include <cstddef>
#include <thread>
#include <utility>

namespace quarrow {

// Loading and indexing a large archive split their work in two halves, one per core.

// Where a range of `count` items is split: the whole range stays in the first half below a
// size a second thread is not worth starting for.
inline std::size_t halfOf(std::size_t count) {
    constexpr std::size_t kSplitFrom = 4096;
    return count >= kSplitFrom ? count / 2 : count;
}

// Runs `second` on another thread and `first` on this one, and returns when both are done.
// A second half known to be empty is not started at all.
template <class First, class Second>
void atOnce(First&& first, Second&& second, bool secondHasWork = true) {
    if (!secondHasWork) {
        std::forward<First>(first)();
        return;
    }
    std::jthread helper(std::forward<Second>(second));
    std::forward<First>(first)();
}

}  // namespace quarrow
