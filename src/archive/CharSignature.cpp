#include "archive/CharSignature.h"

#include <array>

#include "archive/CaseFold.h"

namespace quarrow {
namespace {

int groupOf(std::uint8_t upper) {
    if (upper >= 'A' && upper <= 'Z') return upper - 'A';
    if (upper >= '0' && upper <= '9') return 26 + (upper - '0');
    if (upper >= 0xC0 && upper <= 0xDF) return 36 + (upper - 0xC0) % 26;
    return upper < 0x80 ? 62 : 63;
}

const std::array<CharSignature, 256>& bitTable() {
    static const std::array<CharSignature, 256> table = [] {
        std::array<CharSignature, 256> t{};
        const auto& upper = upperTable();
        for (int b = 0; b < 256; ++b) t[b] = CharSignature{1} << groupOf(upper[b]);
        return t;
    }();
    return table;
}

}  // namespace

CharSignature signatureOf(std::string_view text) {
    const auto& bits = bitTable();
    CharSignature sig = 0;
    for (const char c : text) sig |= bits[static_cast<std::uint8_t>(c)];
    return sig;
}

}  // namespace quarrow
