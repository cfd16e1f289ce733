#include "archive/FirstLetterIndex.h"

#include <bit>
#include <bitset>
#include <cstring>
#include <utility>

#include "archive/AtOnce.h"
#include "archive/CaseFold.h"
#include "engine/Masks.h"
#include "platform/SixteenBytes.h"

namespace quarrow {
namespace {

// The word separators, in the order the builder looks for them.
constexpr std::string_view kSeparators = "/ .-_()+[]";
constexpr std::uint8_t kNotSeparator = 0xFF;

// Each byte's place in kSeparators, or kNotSeparator.
const std::array<std::uint8_t, 256>& separatorRanks() {
    static const std::array<std::uint8_t, 256> ranks = [] {
        std::array<std::uint8_t, 256> r;
        r.fill(kNotSeparator);
        for (std::size_t k = 0; k < kSeparators.size(); ++k)
            r[static_cast<std::uint8_t>(kSeparators[k])] = static_cast<std::uint8_t>(k);
        return r;
    }();
    return ranks;
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

// Where each separator occurs in a text: one bit per position, 64 positions to a word, the
// words of separator k (its place in kSeparators) after those of the ones before it.
class SeparatorPositions {
public:
    void find(std::string_view text) {
        words_ = (text.size() + 63) / 64;
        bits_.resize(kSeparators.size() * words_);
        unsigned found = 0;
        // Each word's bits are gathered in locals and stored once.
        for (std::size_t w = 0; w < words_; ++w) {
            std::array<std::uint64_t, kSeparators.size()> word{};
            const std::string_view part = text.substr(w * 64, 64);
#if defined(__SSE2__)
            // Sixteen places at a time against every separator, without a branch on any byte (no
            // separator is a NUL, so the padding finds nothing).
            forEachSixteen(part, [&](std::size_t from, __m128i bytes) {
                matchEvery(bytes, from, word, std::make_index_sequence<kSeparators.size()>());
            });
#else
            const auto& ranks = separatorRanks();
            for (std::size_t i = 0; i < part.size(); ++i) {
                const std::uint8_t rank = ranks[static_cast<std::uint8_t>(part[i])];
                if (rank != kNotSeparator) word[rank] |= std::uint64_t{1} << i;
            }
#endif
            for (std::size_t k = 0; k < kSeparators.size(); ++k) {
                bits_[k * words_ + w] = word[k];
                found |= unsigned{word[k] != 0} << k;
            }
        }
        ranksFound_ = found;
    }

    // Hands (separator rank, position) to `visit` by rank, then position.
    template <class Visit>
    void forEach(Visit visit) const {
        for (unsigned found = ranksFound_; found != 0; found &= found - 1) {
            const auto rank = static_cast<std::size_t>(std::countr_zero(found));
            const std::uint64_t* bits = bits_.data() + rank * words_;
            for (std::size_t w = 0; w < words_; ++w) {
                for (std::uint64_t word = bits[w]; word != 0; word &= word - 1)
                    visit(rank, w * 64 + std::countr_zero(word));
            }
        }
    }

private:
#if defined(__SSE2__)
    // Written out for each separator, so every comparison has its own constant.
    template <std::size_t... K>
    static void matchEvery(__m128i bytes, std::size_t from,
                           std::array<std::uint64_t, kSeparators.size()>& word,
                           std::index_sequence<K...>) {
        ((word[K] |= std::uint64_t{bytesEqual(bytes, kSeparators[K])} << from), ...);
    }
#endif

    std::size_t words_ = 0;
    unsigned ranksFound_ = 0;  // bit k: separator k occurs
    std::vector<std::uint64_t> bits_;
};

}  // namespace

// What a stretch of lines contributes to the index. Each line's characters are worked out once
// and kept, so the bytes of every character's list can be counted first and then written into
// one array of the exact size.
class FirstLetterIndex::Segment {
public:
    // Its buffers are made here, on the building thread, and filled on the indexing one.
    Segment(std::size_t from, std::size_t to) : from_(from), counts_(to - from) {
        chars_.reserve(8 * counts_.size());
    }

    void collect(const StringList& lines, const std::atomic<bool>* stop,
                 const LineVisit& alsoVisit) {
        std::string line;
        Previous previous = startingPrevious();
        for (std::size_t k = 0; k < counts_.size(); ++k, ++collected_) {
            if (stop && stop->load(std::memory_order_relaxed)) break;
            const std::string_view text = lines[from_ + k];
            if (alsoVisit) alsoVisit(from_ + k, text);
            IndexedChars(text, line);
            const auto at = static_cast<std::uint32_t>(from_ + k);
            for (const char c : line) {
                const auto u = static_cast<std::uint8_t>(c);
                bytesPerChar[u] += encodedSize(at - previous[u]);
                previous[u] = at;
            }
            chars_ += line;
            // Each character at most once besides the first, so 16 bits hold the count.
            counts_[k] = static_cast<std::uint16_t>(line.size());
        }
    }

    // Writes the segment's lists from `next`, each character's next free byte.
    void place(std::array<std::size_t, 256> next, Bytes& bytes) const {
        Previous previous = startingPrevious();
        std::size_t at = 0;
        for (std::size_t k = 0; k < collected_; ++k) {
            const auto line = static_cast<std::uint32_t>(from_ + k);
            for (std::size_t n = 0; n < counts_[k]; ++n, ++at) {
                const auto u = static_cast<std::uint8_t>(chars_[at]);
                next[u] = encode(line - previous[u], bytes, next[u]);
                previous[u] = line;
            }
        }
    }

    std::array<std::size_t, 256> bytesPerChar{};

private:
    using Previous = std::array<std::uint32_t, 256>;

    Previous startingPrevious() const {
        Previous previous;
        previous.fill(static_cast<std::uint32_t>(from_));
        return previous;
    }

    static std::size_t encodedSize(std::uint32_t step) {
        std::size_t size = 1;
        while (step >= 0x80) {
            step >>= 7;
            ++size;
        }
        return size;
    }

    static std::size_t encode(std::uint32_t step, Bytes& bytes, std::size_t at) {
        while (step >= 0x80) {
            bytes[at++] = static_cast<std::uint8_t>(step | 0x80);
            step >>= 7;
        }
        bytes[at++] = static_cast<std::uint8_t>(step);
        return at;
    }

    std::size_t from_;
    // Each collected line's character count; the lines after a stop are never read.
    LargeArray<std::uint16_t> counts_;
    std::size_t collected_ = 0;
    // Every line's characters, one line after another.
    LargeString chars_;
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
    // The builder takes word starts separator by separator in the order of kSeparators, each
    // one's occurrences from the left, which is the order of each separator's position bits.
    // An occurrence at 1-based position p counts while p < e - 1, so only the first e - 2
    // characters are searched; separators are not letters, so they are looked for in the text
    // as it is.
    thread_local SeparatorPositions positions;
    positions.find(text.substr(0, e - 2));
    const auto& ranks = separatorRanks();
    std::bitset<256> seen;
    // Each character is added at most once here, so the first, 256 others and the separators
    // bound what is added.
    std::array<char, 1 + 256 + kSeparators.size()> added;
    std::size_t count = 0;
    positions.forEach([&](std::size_t rank, std::size_t i) {
        const std::uint8_t c = at(i + 1);
        if (ranks[c] != kNotSeparator || seen[c]) return;
        added[count++] = static_cast<char>(c);
        seen[c] = true;
        const char s = kSeparators[rank];
        const auto sep = static_cast<std::uint8_t>(s);
        if (s != '/' && !seen[sep]) {
            added[count++] = s;
            seen[sep] = true;
        }
    });
    out.append(added.data(), count);
}

FirstLetterIndex FirstLetterIndex::Build(const StringList& lines, const std::atomic<bool>* stop,
                                         const LineVisit& alsoVisit) {
    FirstLetterIndex index;
    // Indexed in two parts at once; the search reads the parts at once too.
    index.bounds_ = {0, halfOf(lines.size()), lines.size()};
    std::array<Segment, kParts> parts{Segment(0, index.bounds_[1]),
                                      Segment(index.bounds_[1], lines.size())};
    atOnce([&] { parts[0].collect(lines, stop, alsoVisit); },
           [&] { parts[1].collect(lines, stop, alsoVisit); });
    for (std::size_t c = 0; c < 256; ++c) {
        for (std::size_t part = 0; part < kParts; ++part) {
            const std::size_t g = group(c, part);
            index.starts_[g + 1] = index.starts_[g] + parts[part].bytesPerChar[c];
        }
    }
    index.bytes_ = Bytes(index.starts_.back());
    std::array<std::array<std::size_t, 256>, kParts> next;
    for (std::size_t c = 0; c < 256; ++c)
        for (std::size_t part = 0; part < kParts; ++part)
            next[part][c] = index.starts_[group(c, part)];
    atOnce([&] { parts[0].place(next[0], index.bytes_); },
           [&] { parts[1].place(next[1], index.bytes_); });
    return index;
}

}  // namespace quarrow
