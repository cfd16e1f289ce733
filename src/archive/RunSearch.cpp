#include "archive/RunSearch.h"

#include "archive/MatchExact.h"
#include "archive/MatchTolerant.h"
#include "archive/SearchQuery.h"

namespace quarrow {

std::string FoundStatus(const FormTexts& texts, std::size_t names, std::size_t fileHits) {
    return texts.allfile + " - " + std::to_string(names) + "\r" + texts.findfile + " - " +
           std::to_string(fileHits);
}

SearchOutcome RunSearch(const ArchiveContent& content, std::string_view boxText,
                        SharedSearchState& state, const FormTexts& texts,
                        const SearchCancel& cancel) {
    SearchOutcome outcome;
    const SearchQuery query = ParseSearchQuery(boxText);
    if (query.verdict != SearchQuery::Verdict::Search || content.size() == 0) return outcome;
    outcome.kind = SearchOutcome::Kind::Cancelled;
    if (cancel.cancelled()) return outcome;
    std::optional<ExactResult> exact = MatchExact(content, query.words, query.wild, cancel);
    if (!exact) return outcome;
    outcome.kind = SearchOutcome::Kind::Published;
    // A first word whose first character begins no indexed word empties the lists only.
    if (!exact->firstWordIndexed) return outcome;
    if (!exact->hits.empty()) {
        outcome.status =
            FoundStatus(texts, content.ArchiveNames().size(), exact->hits.files.size());
        outcome.hits = std::move(exact->hits);
        return outcome;
    }
    outcome.status = texts.nofindfile;
    std::optional<SearchHits> tolerant = MatchTolerant(content, query.words, state, cancel);
    if (!tolerant) {
        outcome.kind = SearchOutcome::Kind::Cancelled;
        return outcome;
    }
    outcome.hits = std::move(*tolerant);
    return outcome;
}

}  // namespace quarrow
