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

PairSignature pairSignatureOf(std::string_view text) {
    return signaturesOf(text).pairs;
}

TextSignatures signaturesOf(std::string_view text) {
    const auto& bits = bitTable();
    const auto& upper = upperTable();
    TextSignatures sig;
    std::uint32_t before = 0;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const auto c = static_cast<std::uint8_t>(text[k]);
        sig.chars |= bits[c];
        const std::uint32_t pair = before << 8 | upper[c];
        // Fibonacci hashing: the top six bits of the pair times 2^32 / phi.
        if (k > 0) sig.pairs |= PairSignature{1} << ((pair * 0x9E3779B1u) >> 26);
        before = upper[c];
    }
    return sig;
}

}  // namespace quarrow
