#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "platform/LargeAllocator.h"

namespace quarrow {

// An ordered list of byte strings kept in one arena: one byte buffer plus one offset per
// entry, so a million file names cost their bytes and four bytes each, not a heap string
// apiece. Entries are appended at the end and read by index; the list is not thread-safe,
// the record that owns it guards it.
class StringList {
public:
    StringList() = default;

    std::size_t size() const { return offsets_.size(); }
    bool empty() const { return offsets_.empty(); }

    std::string_view at(std::size_t i) const {
        const std::uint32_t begin = offsets_[i];
        const std::uint32_t end = i + 1 < offsets_.size() ? offsets_[i + 1] : bytes_.size();
        return {bytes_.data() + begin, static_cast<std::size_t>(end - begin)};
    }
    std::string_view operator[](std::size_t i) const { return at(i); }
    // Starts reading where entry `i` lies, for a lookup soon after.
    void prefetch(std::size_t i) const { __builtin_prefetch(offsets_.data() + i); }

    // Offsets are 32-bit to halve the per-entry cost; a list past 4 GiB of text is refused.
    void append(std::string_view s) {
        if (bytes_.size() + s.size() > UINT32_MAX) throw std::length_error("StringList full");
        offsets_.push_back(static_cast<std::uint32_t>(bytes_.size()));
        bytes_.insert(bytes_.end(), s.begin(), s.end());
    }

    // Appends the entries `fill(add)` hands to `add(std::string_view)`, at most `maxBytes` of
    // text in all: room for that much is made at once and each entry copied straight into it.
    template <class Fill>
    void appendMany(std::size_t maxBytes, Fill fill) {
        const std::size_t start = bytes_.size();
        if (start + maxBytes > UINT32_MAX) throw std::length_error("StringList full");
        bytes_.resize(start + maxBytes);
        char* const room = bytes_.data();
        std::size_t end = start;
        fill([&](std::string_view s) {
            offsets_.push_back(static_cast<std::uint32_t>(end));
            std::memcpy(room + end, s.data(), s.size());
            end += s.size();
        });
        bytes_.resize(end);
    }

    // Appends every entry of `other`, its text copied in one piece.
    void append(const StringList& other) {
        if (bytes_.size() + other.bytes_.size() > UINT32_MAX)
            throw std::length_error("StringList full");
        const auto base = static_cast<std::uint32_t>(bytes_.size());
        const std::size_t first = offsets_.size();
        offsets_.resize(first + other.offsets_.size());
        for (std::size_t i = 0; i < other.offsets_.size(); ++i)
            offsets_[first + i] = base + other.offsets_[i];
        bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end());
    }

    // Makes this list a copy of the first `count` entries of `other`.
    void assignPrefix(const StringList& other, std::size_t count) {
        count = std::min(count, other.size());
        offsets_.assign(other.offsets_.begin(), other.offsets_.begin() + count);
        const std::size_t bytes =
            count < other.size() ? other.offsets_[count] : other.bytes_.size();
        bytes_.assign(other.bytes_.begin(), other.bytes_.begin() + bytes);
    }

    // Drops every entry from `count` on.
    void truncate(std::size_t count) {
        if (count >= offsets_.size()) return;
        bytes_.resize(offsets_[count]);
        offsets_.resize(count);
    }

    void clear() {
        bytes_.clear();
        offsets_.clear();
        bytes_.shrink_to_fit();
        offsets_.shrink_to_fit();
    }

    void reserve(std::size_t entries, std::size_t bytes) {
        offsets_.reserve(entries);
        bytes_.reserve(bytes);
    }

    // The entries' bytes, and the bytes the arena holds room for.
    std::size_t textSize() const { return bytes_.size(); }
    std::size_t textCapacity() const { return bytes_.capacity(); }

    // Bytes held by the arena, for memory accounting.
    std::size_t capacityBytes() const {
        return bytes_.capacity() + offsets_.capacity() * sizeof(std::uint32_t);
    }

private:
    std::vector<char, LargeAllocator<char>> bytes_;
    std::vector<std::uint32_t, LargeAllocator<std::uint32_t>> offsets_;
};

}  // namespace quarrow
