#include "archive/CaseFold.h"

#include <algorithm>

#include "platform/Cp1251.h"

namespace quarrow {

const std::array<std::uint8_t, 256>& upperTable() {
    static const std::array<std::uint8_t, 256> table = [] {
        std::array<std::uint8_t, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[b] = static_cast<std::uint8_t>(upperCp1251(static_cast<char>(b)));
        return t;
    }();
    return table;
}

int compareFolded(std::string_view a, std::string_view b) {
    const auto& upper = upperTable();
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t k = 0; k < n; ++k) {
        const int x = upper[static_cast<std::uint8_t>(a[k])];
        const int y = upper[static_cast<std::uint8_t>(b[k])];
        if (x != y) return x - y;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

}  // namespace quarrow
