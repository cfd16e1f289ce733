#include "archive/FirstLetterIndex.h"

#include <bitset>
#include <cstring>

#include "archive/AtOnce.h"
#include "archive/CaseFold.h"
#include "archive/FindFrom.h"
#include "engine/Masks.h"

namespace quarrow {
namespace {

// The word separators, in the order the builder looks for them.
constexpr std::string_view kSeparators = "/ .-_()+[]";

bool isSeparator(std::uint8_t c) {
    return kSeparators.find(static_cast<char>(c)) != std::string_view::npos;
}

// The line as the builder reads it: blanks and control characters trimmed at both ends, and
// ending at its first NUL.
std::string_view indexedText(std::string_view line) {
    line = trimText(line);
    const void* nul = std::memchr(line.data(), '\0', line.size());
    if (nul) line = line.substr(0, static_cast<const char*>(nul) - line.data());
    return line;
}

// The length that word starts may lie in: an extension of three or four letters starts none.
std::size_t effectiveLength(std::string_view text) {
    const std::size_t e = text.size();
    if (e >= 5 && (text[e - 4] == '.' || text[e - 5] == '.')) return e - 4;
    return e;
}

}  // namespace

// What a stretch of lines contributes to the index. Each line's characters are worked out once
// and kept, so the entries can be counted per character first and then placed into one array
// of the exact size.
class FirstLetterIndex::Segment {
public:
    // Its buffers are made here, on the building thread, and filled on the indexing one.
    Segment(std::size_t from, std::size_t to) : from_(from), counts_(to - from) {
        chars_.reserve(8 * counts_.size());
    }

    void collect(const StringList& lines, const std::atomic<bool>* stop) {
        std::string line;
        for (std::size_t k = 0; k < counts_.size(); ++k) {
            if (stop && stop->load(std::memory_order_relaxed)) break;
            IndexedChars(lines[from_ + k], line);
            for (const char c : line) ++perChar[static_cast<std::uint8_t>(c)];
            chars_ += line;
            // Each character at most once besides the first, so 16 bits hold the count.
            counts_[k] = static_cast<std::uint16_t>(line.size());
        }
    }

    // Writes the segment's line numbers from `next`, each character's next free place.
    void place(std::array<std::size_t, 256> next, std::vector<std::uint32_t>& entries) const {
        std::size_t at = 0;
        for (std::size_t k = 0; k < counts_.size(); ++k) {
            for (std::size_t n = 0; n < counts_[k]; ++n, ++at)
                entries[next[static_cast<std::uint8_t>(chars_[at])]++] =
                    static_cast<std::uint32_t>(from_ + k);
        }
    }

    std::array<std::size_t, 256> perChar{};

private:
    std::size_t from_;
    std::vector<std::uint16_t> counts_;
    std::string chars_;  // every line's characters, one line after another
};

void IndexedChars(std::string_view line, std::string& out) {
    out.clear();
    const std::string_view text = indexedText(line);
    if (text.empty()) return;
    const auto& upper = upperTable();
    const auto at = [&](std::size_t i) { return upper[static_cast<std::uint8_t>(text[i])]; };
    out.push_back(static_cast<char>(at(0)));
    const std::size_t e = effectiveLength(text);
    // Lines of effective length 10 or less are listed under their first character only.
    if (e <= 10) return;
    std::bitset<256> seen;
    // An occurrence at 1-based position p counts while p < e - 1, so only the first e - 2
    // characters are searched. Separators are not letters: they are found in the text as it is.
    const std::string_view searched = text.substr(0, e - 2);
    for (const char s : kSeparators) {
        const std::string_view separator(&s, 1);
        for (std::size_t p = FindFrom(1, separator, searched); p != 0;
             p = FindFrom(p + 1, separator, searched)) {
            const std::uint8_t c = at(p);
            if (isSeparator(c) || seen[c]) continue;
            out.push_back(static_cast<char>(c));
            seen[c] = true;
            const auto sep = static_cast<std::uint8_t>(s);
            if (s != '/' && !seen[sep]) {
                out.push_back(s);
                seen[sep] = true;
            }
        }
    }
}

FirstLetterIndex FirstLetterIndex::Build(const StringList& lines, const std::atomic<bool>* stop) {
    FirstLetterIndex index;
    // Indexed in two halves at once; each half's lines keep their order, and the second
    // half's entries follow the first's under every character.
    const std::size_t half = halfOf(lines.size());
    Segment first(0, half), second(half, lines.size());
    atOnce([&] { first.collect(lines, stop); }, [&] { second.collect(lines, stop); });
    for (std::size_t c = 0; c < 256; ++c)
        index.starts_[c + 1] = index.starts_[c] + first.perChar[c] + second.perChar[c];
    index.entries_.resize(index.starts_[256]);
    std::array<std::size_t, 256> firstAt, secondAt;
    for (std::size_t c = 0; c < 256; ++c) {
        firstAt[c] = index.starts_[c];
        secondAt[c] = index.starts_[c] + first.perChar[c];
    }
    atOnce([&] { first.place(firstAt, index.entries_); },
           [&] { second.place(secondAt, index.entries_); });
    return index;
}

}  // namespace quarrow
