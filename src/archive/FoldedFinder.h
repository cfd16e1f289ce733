#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quarrow {

// Finds a word in texts as if they had been upper-cased by the code page, without making the
// upper-cased copy: a Horspool search whose shift table is indexed by the raw byte. Built
// once per query word and then used on every candidate line, so nothing is allocated per line.
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
    std::string word_;  // upper-cased
    std::array<std::uint32_t, 256> shift_{};
};

}  // namespace quarrow
