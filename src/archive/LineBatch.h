#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/StringList.h"

namespace quarrow {

// Hands scattered lines of a large list to `visit(line, name)` a batch at a time: first the
// place of every name of the batch is looked up and its bytes are prefetched, then the names
// are visited; the caller flushes the last, partial batch. A search that reads a few lines out of
// millions waits on memory for each of them; batching lets those reads overlap instead of following
// one another.
template <typename Visit>
class LineBatch {
public:
    LineBatch(const StringList& names, Visit visit) : names_(names), visit_(visit) {}
    LineBatch(const LineBatch&) = delete;
    LineBatch& operator=(const LineBatch&) = delete;

    void add(std::uint32_t line) {
        lines_[count_++] = line;
        if (count_ == kSize) flush();
    }

    void flush() {
        for (std::size_t k = 0; k < count_; ++k) {
            views_[k] = names_[lines_[k]];
            __builtin_prefetch(views_[k].data());
        }
        for (std::size_t k = 0; k < count_; ++k) visit_(lines_[k], views_[k]);
        count_ = 0;
    }

private:
    static constexpr std::size_t kSize = 32;

    const StringList& names_;
    Visit visit_;
    std::array<std::uint32_t, kSize> lines_{};
    std::array<std::string_view, kSize> views_{};
    std::size_t count_ = 0;
};

}  // namespace quarrow
