#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/StringList.h"

namespace quarrow {

// Hands scattered lines of a large list to `visit(line, name)`, in the order they were added,
// a batch at a time. A search that reads a few lines out of millions waits on memory twice for
// each (where the name lies, then its bytes); here those reads are started ahead and overlap:
// a line's place is prefetched when it is added, its bytes when its batch is full, and its
// name is visited one batch later. The caller flushes what is still held at the end.
template <typename Visit>
class LineBatch {
public:
    LineBatch(const StringList& names, Visit visit) : names_(names), visit_(visit) {}
    LineBatch(const LineBatch&) = delete;
    LineBatch& operator=(const LineBatch&) = delete;

    void add(std::uint32_t line) {
        names_.prefetch(line);
        filling_[count_++] = line;
        if (count_ == kSize) {
            visitFetched();
            fetch();
        }
    }

    void flush() {
        visitFetched();
        fetch();
        visitFetched();
    }

private:
    static constexpr std::size_t kSize = 32;

    // The filling batch becomes the fetched one: its names are looked up and their bytes
    // prefetched.
    void fetch() {
        for (std::size_t k = 0; k < count_; ++k) {
            fetched_[k] = {filling_[k], names_[filling_[k]]};
            __builtin_prefetch(fetched_[k].name.data());
        }
        fetchedCount_ = count_;
        count_ = 0;
    }

    void visitFetched() {
        for (std::size_t k = 0; k < fetchedCount_; ++k) visit_(fetched_[k].line, fetched_[k].name);
        fetchedCount_ = 0;
    }

    struct Fetched {
        std::uint32_t line;
        std::string_view name;
    };

    const StringList& names_;
    Visit visit_;
    std::array<std::uint32_t, kSize> filling_{};
    std::array<Fetched, kSize> fetched_{};
    std::size_t count_ = 0;
    std::size_t fetchedCount_ = 0;
};

}  // namespace quarrow
