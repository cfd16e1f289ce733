#include "archive/FoldedFinder.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "archive/CaseFold.h"

namespace quarrow {
namespace {

// The byte `upper` itself and the other byte that folds to it, or `upper` twice.
std::array<std::uint8_t, 2> foldingTo(std::uint8_t upper) {
    const auto& table = upperTable();
    std::array<std::uint8_t, 2> bytes{upper, upper};
    for (int b = 0; b < 256; ++b)
        if (b != upper && table[b] == upper) bytes[1] = static_cast<std::uint8_t>(b);
    return bytes;
}

}  // namespace

FoldedFinder::FoldedFinder(std::string_view word) {
    const auto& upper = upperTable();
    word_.reserve(word.size());
    for (const char c : word)
        word_.push_back(static_cast<char>(upper[static_cast<std::uint8_t>(c)]));
    if (word_.empty()) return;
    first_ = foldingTo(static_cast<std::uint8_t>(word_.front()));
    last_ = foldingTo(static_cast<std::uint8_t>(word_.back()));
}

bool FoldedFinder::middleMatches(const std::uint8_t* at) const {
    const auto& upper = upperTable();
    const auto* word = reinterpret_cast<const std::uint8_t*>(word_.data());
    for (std::size_t k = 1; k + 1 < word_.size(); ++k)
        if (upper[at[k]] != word[k]) return false;
    return true;
}

std::size_t FoldedFinder::findOneByOne(std::string_view text, std::size_t from) const {
    const std::size_t m = word_.size();
    const auto& upper = upperTable();
    const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto first = static_cast<std::uint8_t>(word_.front());
    const auto last = static_cast<std::uint8_t>(word_.back());
    for (std::size_t i = from; i + m <= text.size(); ++i)
        if (upper[data[i]] == first && upper[data[i + m - 1]] == last && middleMatches(data + i))
            return i;
    return npos;
}

std::size_t FoldedFinder::find(std::string_view text, std::size_t from) const {
    const std::size_t m = word_.size();
    if (m == 0 || from > text.size() || text.size() - from < m) return npos;
#if defined(__SSE2__)
    const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t n = text.size();
    const auto ends = [&](const std::uint8_t* at) {
        const auto folds = [](__m128i bytes, const std::array<std::uint8_t, 2>& to) {
            return _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(static_cast<char>(to[0]))),
                                _mm_cmpeq_epi8(bytes, _mm_set1_epi8(static_cast<char>(to[1]))));
        };
        const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + m - 1));
        return static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(folds(head, first_), folds(tail, last_))));
    };
    // Candidates of the sixteen places from `i`, in `bits`, checked in full.
    const auto firstOf = [&](std::size_t i, unsigned bits) {
        for (; bits != 0; bits &= bits - 1) {
            const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(bits));
            if (middleMatches(data + at)) return at;
        }
        return npos;
    };
    std::size_t i = from;
    for (; i + m + 15 <= n; i += 16)
        if (const std::size_t at = firstOf(i, ends(data + i)); at != npos) return at;
    // Fewer than sixteen places are left: their bytes are tried from a zero-padded copy, so
    // no load reaches past the text.
    alignas(16) std::uint8_t padded[64] = {};
    if (n - i > sizeof padded - 16) return findOneByOne(text, i);
    std::memcpy(padded, data + i, n - i);
    const unsigned places = (1u << (n - m - i + 1)) - 1;
    return firstOf(i, ends(padded) & places);
#else
    return findOneByOne(text, from);
#endif
}

}  // namespace quarrow
