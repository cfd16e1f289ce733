#include "archive/FindFrom.h"

#include <array>
#include <cstring>

namespace quarrow {

std::size_t FindFrom(std::size_t start, std::string_view pattern, std::string_view text) {
    const std::size_t m = pattern.size();
    if (m == 0 || text.empty()) return 0;
    if (start < 1) start = 1;
    if (start > text.size()) return 0;
    if (m == 1) {
        const void* hit = std::memchr(text.data() + start - 1, pattern[0], text.size() - start + 1);
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) + 1 : 0;
    }
    // Shift by the rightmost occurrence of each byte; the last byte's own entry is never used
    // for a shift because a window ending in it is compared instead.
    std::array<std::size_t, 256> shift;
    shift.fill(m);
    std::array<bool, 256> met{};
    for (std::size_t k = m; k-- > 0;) {
        const auto c = static_cast<unsigned char>(pattern[k]);
        if (met[c]) continue;
        met[c] = true;
        shift[c] = m - (k + 1);
    }
    const auto last = static_cast<unsigned char>(pattern[m - 1]);
    // `end` is the 1-based position of the window's last byte.
    for (std::size_t end = start + m - 1; end <= text.size();) {
        const auto c = static_cast<unsigned char>(text[end - 1]);
        if (c != last) {
            end += shift[c];
            continue;
        }
        std::size_t k = m - 1;
        while (k > 0 && text[end - m + k - 1] == pattern[k - 1]) --k;
        if (k == 0) return end - m + 1;
        ++end;
    }
    return 0;
}

}  // namespace quarrow
