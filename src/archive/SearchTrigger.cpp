#include "archive/SearchTrigger.h"

#include <algorithm>

#include "engine/Masks.h"
#include "platform/Cp1251.h"

namespace quarrow {

// Texts this short do not start a second search while the previous one is only just starting.
constexpr std::size_t kShortQuery = 3;
// A text shorter than this joins the history only while the list is empty.
constexpr std::size_t kHistoryMinimum = 6;

TriggerDecision DecideTrigger(std::string_view boxText, bool pagesShown, bool newSearchFlag) {
    TriggerDecision decision;
    if (!pagesShown) return decision;
    const std::string_view trimmed = trimText(boxText);
    if (trimmed.empty() || boxText.back() == ' ') {
        decision.action = TriggerDecision::Action::Clear;
        return decision;
    }
    decision.currentQuery = std::string(trimmed);
    const bool skip = newSearchFlag && trimmed.size() <= kShortQuery;
    decision.action = skip ? TriggerDecision::Action::Skip : TriggerDecision::Action::Search;
    return decision;
}

void UpdateSearchHistory(std::vector<std::string>& items, std::string_view boxText) {
    const std::string_view trimmed = trimText(boxText);
    const std::string upper = upperCp1251(trimmed);
    for (const std::string& item : items) {
        if (item.starts_with(upper) || upper.starts_with(item) || trimmed.size() < kHistoryMinimum)
            return;
    }
    const bool present = std::any_of(items.begin(), items.end(), [&](const std::string& item) {
        return equalsNoCase(item, trimmed);
    });
    if (present) return;
    items.insert(items.begin(), upper);
    if (items.size() > kSearchHistoryLimit) items.pop_back();
}

}  // namespace quarrow
