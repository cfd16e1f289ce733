#include "archive/RunScore.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

namespace quarrow {
namespace {

std::string without(std::string_view text, std::string_view dropped) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        if (dropped.find(c) == std::string_view::npos) out.push_back(c);
    return out;
}

}  // namespace

int RunScoreStripped(std::string_view a, std::string_view b, int minRun) {
    if (a.empty() || b.empty()) return 0;
    const std::size_t need = static_cast<std::size_t>(std::max(minRun, 1));
    const std::size_t la = a.size();
    const std::size_t lb = b.size();
    // 1-based positions; both loops test their bound after the step, so line positions 1 to
    // `lastJ` are the ones a run may start at. Positions whose character differs from the
    // word's are passed over at once.
    const std::size_t lastJ = lb > 1 ? lb - 1 : 1;
    // Which bytes the line holds: a word character it lacks is passed over without a look.
    std::array<std::uint64_t, 4> held{};
    for (const char c : b) {
        const auto u = static_cast<std::uint8_t>(c);
        held[u >> 6] |= std::uint64_t{1} << (u & 63);
    }
    const auto lineHolds = [&](char c) {
        const auto u = static_cast<std::uint8_t>(c);
        return (held[u >> 6] >> (u & 63)) & 1;
    };
    std::size_t i = 1;
    do {
        std::size_t j = 1;
        do {
            if (!lineHolds(a[i - 1])) break;
            const void* next = std::memchr(b.data() + j - 1, a[i - 1], lastJ - j + 1);
            if (!next) break;
            j = static_cast<std::size_t>(static_cast<const char*>(next) - b.data()) + 1;
            std::size_t r = 1;
            while (r < need && i + r <= la && j + r <= lb && a[i + r - 1] == b[j + r - 1]) ++r;
            if (r >= need) return static_cast<int>(2 * r);
            i += r - 1;
            j += r - 1;
            ++j;
        } while (j < lb);
        ++i;
    } while (i < la);
    return 0;
}

int RunScore(std::string_view word, std::string_view line, int minRun) {
    return RunScoreStripped(without(word, " "), without(line, kRunScoreSkipped), minRun);
}

}  // namespace quarrow
