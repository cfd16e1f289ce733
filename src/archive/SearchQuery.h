#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quarrow {

// What the search makes of the search box's text before it looks at any name.
struct SearchQuery {
    enum class Verdict {
        RedrawOnly,  // nothing to search for: the page is only redrawn, the lists stay
        NoResult,    // the search stops at once and leaves the lists as they were
        Search,      // `words` are searched
    };
    Verdict verdict = Verdict::NoResult;
    // Upper-cased; an empty word stands between two stars in a row.
    std::vector<std::string> words;
    // Words may come in any order (the text held a blank or "?"); otherwise in order.
    bool wild = false;
};

// The characters a query never searches for.
inline constexpr std::string_view kQueryStripped = "|\\/:<>";

// Splits the box text into words: blanks and "?" separate words found in any order, "*"
// words found in order; a text whose last non-blank character is "*", or that ends in a
// blank, searches nothing.
SearchQuery ParseSearchQuery(std::string_view boxText);

}  // namespace quarrow
