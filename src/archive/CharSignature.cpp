#include "archive/CharSignature.h"

#include <algorithm>
#include <array>

#include "archive/CaseFold.h"
#include "archive/RunScore.h"

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

// What a byte is in a pair: its upper-cased form, or kNoPairForm when it is passed over.
constexpr std::uint32_t kNoPairForm = 0x100;

const std::array<std::uint32_t, 256>& pairForms() {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        const auto& upper = upperTable();
        for (int b = 0; b < 256; ++b) t[b] = upper[b];
        for (const char c : kRunScoreSkipped) t[static_cast<std::uint8_t>(c)] = kNoPairForm;
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

TextSignatures signaturesOf(std::string_view text) {
    const auto& bits = bitTable();
    const auto& forms = pairForms();
    TextSignatures sig;
    // The text's pair forms with the passed-over characters left out, a piece at a time, written
    // without a branch: every byte is stored, and only a kept one moves the end on. The last
    // form kept from a piece starts the next, so pairs across pieces count.
    constexpr std::size_t kPiece = 256;
    std::array<std::uint8_t, kPiece + 1> kept;
    std::size_t count = 0;
    for (std::size_t from = 0; from < text.size(); from += kPiece) {
        const std::size_t end = std::min(text.size(), from + kPiece);
        for (std::size_t j = from; j < end; ++j) {
            const auto byte = static_cast<std::uint8_t>(text[j]);
            sig.chars |= bits[byte];
            const std::uint32_t form = forms[byte];
            kept[count] = static_cast<std::uint8_t>(form);
            count += form != kNoPairForm;
        }
        for (std::size_t i = 1; i < count; ++i) {
            // Fibonacci hashing: the top six bits of the pair times 2^32 / phi.
            const std::uint32_t pair = std::uint32_t{kept[i - 1]} << 8 | kept[i];
            sig.pairs |= PairSignature{1} << ((pair * 0x9E3779B1u) >> 26);
        }
        if (count > 0) {
            kept[0] = kept[count - 1];
            count = 1;
        }
    }
    return sig;
}

}  // namespace quarrow
