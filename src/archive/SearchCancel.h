#pragma once

#include <atomic>
#include <cstdint>

namespace quarrow {

// A search's cancellation check. Every search takes a new generation number; a newer search,
// a key press in the search box, a new load or a closed page advance the shared counter, and
// every older search then gives up at its next check. A default-constructed token never
// cancels (benchmarks and direct calls).
class SearchCancel {
public:
    SearchCancel() = default;
    SearchCancel(const std::atomic<std::uint64_t>& latest, std::uint64_t generation)
        : latest_(&latest), generation_(generation) {}

    bool cancelled() const {
        return latest_ && latest_->load(std::memory_order_relaxed) != generation_;
    }

private:
    const std::atomic<std::uint64_t>* latest_ = nullptr;
    std::uint64_t generation_ = 0;
};

}  // namespace quarrow
