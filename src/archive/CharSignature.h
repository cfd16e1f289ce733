#pragma once

#include <cstdint>
#include <string_view>

namespace quarrow {

// A 64-bit summary of which characters a text holds, case-folded: every byte sets the bit of
// its upper-cased form's group (each Latin letter and digit has a bit of its own, Cyrillic
// letters share 26, the rest two). A text can contain a word only if its signature holds all
// of the word's bits, so a search rejects most lines with one AND before reading their text.
using CharSignature = std::uint64_t;

CharSignature signatureOf(std::string_view text);

// A 64-bit summary of which pairs of neighbouring characters a text holds, case-folded: each
// pair sets one bit picked by a hash. The characters the tolerant stage's run scan leaves out
// (kRunScoreSkipped) are passed over, so "A-B" holds the pair AB. A text holds a word only if
// it holds each of the word's pairs, and a line in which the run scan finds a run holds the
// run's pairs; far fewer names hold all of a word's pairs than all of its letters, so this
// rules out most of the lines the character signature lets through.
using PairSignature = std::uint64_t;

struct TextSignatures {
    CharSignature chars = 0;
    PairSignature pairs = 0;
};

// Both signatures in one pass over the text.
TextSignatures signaturesOf(std::string_view text);

// True when `text` may contain every character whose bit is in `required`.
inline bool mayContain(CharSignature text, CharSignature required) {
    return (text & required) == required;
}

}  // namespace quarrow
