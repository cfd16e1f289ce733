#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quarrow {

// What the search timer's tick does with the search box's text.
struct TriggerDecision {
    enum class Action {
        Stop,    // no scan page is shown: nothing happens
        Clear,   // empty text, or a blank typed last: the hit lists are emptied
        Search,  // a search of the text starts
        Skip,    // a search started a moment ago and the text is short: none starts now
    };
    Action action = Action::Stop;
    std::string currentQuery;  // the trimmed text, for Search and Skip
};

// Timer9Timer's rules. A query runs only once a non-blank character follows a word;
// `newSearchFlag` is raised while a search has just started and no key was released since.
TriggerDecision DecideTrigger(std::string_view boxText, bool pagesShown, bool newSearchFlag);

// The search box's drop-down history after the timer saw `boxText` (once it has decided to
// search or skip): the upper-cased trimmed text goes on top when it neither begins nor extends an
// item and is 6 characters or longer (any length while the list is empty); at most 30 items
// are kept, the bottom one dropping out.
void UpdateSearchHistory(std::vector<std::string>& items, std::string_view boxText);

inline constexpr std::size_t kSearchHistoryLimit = 30;

}  // namespace quarrow
