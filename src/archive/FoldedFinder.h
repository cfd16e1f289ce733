#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quarrow {

// Finds a word in texts as if they had been upper-cased by the code page, without making the
// upper-cased copy. Sixteen places are tried at once: a place is a candidate when the bytes
// at the word's first and last positions fold to its first and last characters (each
// upper-case form has at most one other byte folding to it, so two comparisons per end), and
// only candidates are compared in full. Built once per query word and then used on every
// candidate line, so nothing is allocated per line.
class FoldedFinder {
public:
    static constexpr std::size_t npos = std::string_view::npos;

    explicit FoldedFinder(std::string_view word);

    // 0-based start of the first occurrence at or after `from`; npos when there is none. An
    // empty word is never found.
    std::size_t find(std::string_view text, std::size_t from = 0) const;
    bool occursIn(std::string_view text) const { return find(text) != npos; }
    std::size_t size() const { return word_.size(); }
    const std::string& word() const { return word_; }

private:
    // Whether the word occurs at `at`, whose first and last bytes already match.
    bool middleMatches(const std::uint8_t* at) const;
    // Places from `from` on, one at a time.
    std::size_t findOneByOne(std::string_view text, std::size_t from) const;

    std::string word_;                     // upper-cased
    std::array<std::uint8_t, 2> first_{};  // the bytes folding to the word's first character
    std::array<std::uint8_t, 2> last_{};   // and to its last
};

}  // namespace quarrow
