#include "archive/SearchQuery.h"

#include <algorithm>

#include "engine/Masks.h"
#include "platform/Cp1251.h"

namespace quarrow {
namespace {

std::string stripped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        if (kQueryStripped.find(c) == std::string_view::npos) out.push_back(c);
    return out;
}

std::vector<std::string> splitAtStars(std::string_view q) {
    std::vector<std::string> words;
    for (;;) {
        const std::size_t star = q.find('*');
        words.push_back(stripped(trimText(q.substr(0, star))));
        if (star == std::string_view::npos) return words;
        q.remove_prefix(star + 1);
    }
}

}  // namespace

SearchQuery ParseSearchQuery(std::string_view boxText) {
    SearchQuery query;
    const std::string threadQuery = stripped(boxText);
    if (trimText(threadQuery).empty()) {
        query.verdict = SearchQuery::Verdict::RedrawOnly;
        return query;
    }
    std::string q = upperCp1251(threadQuery);
    // The position of the trimmed length is read in the untrimmed text, as the box text is
    // checked for a trailing star; with no leading blanks it is the last non-blank character.
    const std::size_t m = trimText(q).size();
    if (m == 0 || q[m - 1] == '*' || q.back() == ' ') return query;
    std::replace(q.begin(), q.end(), ' ', '?');
    query.wild = q.find('?') != std::string::npos;
    std::replace(q.begin(), q.end(), '?', '*');
    if (q.front() == '*') q.erase(0, 1);
    query.words = splitAtStars(q);
    if (query.words.front().empty()) {
        query.words.clear();
        return query;
    }
    query.verdict = SearchQuery::Verdict::Search;
    return query;
}

}  // namespace quarrow
