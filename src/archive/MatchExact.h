#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/ArchiveContent.h"
#include "archive/FoldedFinder.h"
#include "archive/SearchCancel.h"
#include "archive/SearchHits.h"

namespace quarrow {

// The longest stretch after one word in which the next word of an ordered query must start
// and end.
inline constexpr std::size_t kOrderedWindow = 255;

// Whether a line holds the query words: in wild mode each anywhere; otherwise each later word
// within the 255 characters that follow the end of the first occurrence (in the whole line)
// of the word before it. An empty word never occurs. Letter case is folded.
bool LineMatchesWords(std::string_view line, const std::vector<FoldedFinder>& words, bool wild);

struct ExactResult {
    // False when the first word's first character was never indexed: nothing was searched.
    bool firstWordIndexed = false;
    SearchHits hits;  // sorted
};

// The literal stage: every line listed in the index under the first character of any query
// word that holds all the words. Nothing when the search is cancelled.
std::optional<ExactResult> MatchExact(const ArchiveContent& content,
                                      const std::vector<std::string>& words, bool wild,
                                      const SearchCancel& cancel);

}  // namespace quarrow
