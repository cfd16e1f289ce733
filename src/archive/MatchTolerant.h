#pragma once

#include <optional>
#include <string>
#include <vector>

#include "archive/ArchiveContent.h"
#include "archive/SearchCancel.h"
#include "archive/SearchHits.h"
#include "archive/SearchState.h"

namespace quarrow {

// The tolerant stage, run when the literal stage found nothing: every line from
// `FuzzyResume` on whose name, without its extension, shares a long enough run of characters
// with each query word (the length needed grows with the word, and eases in queries of three
// or more words). Repeating the last tolerant text finds nothing; a text that only grew
// resumes at the previous search's first hit. Nothing when the search is cancelled.
std::optional<SearchHits> MatchTolerant(const ArchiveContent& content,
                                        const std::vector<std::string>& words,
                                        SharedSearchState& state, const SearchCancel& cancel);

// The name as the tolerant stage reads it: without the part from its last "." (unless a "\"
// or ":" follows that "."), upper-cased.
std::string TolerantLine(std::string_view name);

}  // namespace quarrow
