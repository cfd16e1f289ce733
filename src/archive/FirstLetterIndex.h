#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/LargeAllocator.h"
#include "platform/StringList.h"

namespace quarrow {

// The characters (upper-cased) under which the index lists `line`, in the order the builder
// adds them. The first character may come twice: the word-start rule does not remember it.
// `out` is replaced; reusing one string avoids an allocation per line.
void IndexedChars(std::string_view line, std::string& out);

// The first-letter index over the archive's names: for every character that begins an
// indexed word, the line numbers listed under it. A search looks only at the lines of its
// words' first characters. The lines are kept in two parts, split where the builder split its
// work, so two threads can search one part each. Under each character a part's lines ascend
// and are stored as the distances from one to the next (from the part's first line), seven
// bits to a byte: most are short, so a listed line costs a byte or two instead of four.
class FirstLetterIndex {
public:
    static constexpr std::size_t kParts = 2;

    // Other work done on each line as the builder reads it: (line number, text), called once
    // per line from the builder's two threads.
    using LineVisit = std::function<void(std::size_t, std::string_view)>;

    // BuildFirstLetterIndex over every line; stops early, leaving a partial index, once
    // `stop` is raised (a shutting-down program). `alsoVisit`, when given, shares the pass, so
    // the names are read from memory once.
    static FirstLetterIndex Build(const StringList& lines, const std::atomic<bool>* stop = nullptr,
                                  const LineVisit& alsoVisit = {});

    bool has(unsigned char c) const { return starts_[group(c, 0)] != starts_[group(c + 1, 0)]; }
    // The lines part `part` holds run from partBegin(part) to partBegin(part + 1).
    std::size_t partBegin(std::size_t part) const { return bounds_[part]; }
    // Hands the lines listed under character `c` (upper-cased) in part `part` to
    // `visit(line)`, ascending, until it returns false.
    template <class Visit>
    void forEach(unsigned char c, std::size_t part, Visit visit) const {
        const std::uint8_t* at = bytes_.data() + starts_[group(c, part)];
        const std::uint8_t* end = bytes_.data() + starts_[group(c, part) + 1];
        std::uint32_t line = static_cast<std::uint32_t>(bounds_[part]);
        while (at != end) {
            std::uint32_t step = 0;
            for (int shift = 0;; shift += 7) {
                const std::uint8_t byte = *at++;
                step |= static_cast<std::uint32_t>(byte & 0x7F) << shift;
                if (byte < 0x80) break;
            }
            line += step;
            if (!visit(line)) return;
        }
    }
    std::size_t memoryBytes() const { return bytes_.size(); }

private:
    class Segment;
    // Every byte is written by the builder's two threads, so none is zeroed first.
    using Bytes = LargeArray<std::uint8_t>;

    static std::size_t group(std::size_t c, std::size_t part) { return c * kParts + part; }

    // Byte offset of every (character, part) group, groups ordered by character, then part.
    std::array<std::size_t, 256 * kParts + 1> starts_{};
    std::array<std::size_t, kParts + 1> bounds_{};
    Bytes bytes_;
};

}  // namespace quarrow
