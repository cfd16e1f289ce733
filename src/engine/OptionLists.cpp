#include "engine/OptionLists.h"

#include "engine/Masks.h"
#include "platform/Cp1251.h"

namespace quarrow {

void IdentComboChoose(std::string_view chosen, std::string& identText) {
    if (!trimText(chosen).empty()) identText = std::string(chosen);
}

bool IdentComboLeave(HistoryList& entries, std::string_view typed, std::string& identText) {
    const std::string entry = upperCp1251(trimText(typed));
    if (entry.empty() || entries.containsNoCase(entry)) return false;
    entries.add(entry);
    identText = std::string(typed);
    return true;
}

bool IgnoreListAdd(HistoryList& list, const std::string& text) {
    if (text.empty() || list.containsNoCase(text)) return false;
    list.add(text);
    return true;
}

int IgnoreListRemove(HistoryList& list, int selected) {
    if (selected < 0 || static_cast<std::size_t>(selected) >= list.size()) return selected;
    list.removeAt(static_cast<std::size_t>(selected));
    return static_cast<std::size_t>(selected) < list.size() ? selected : -1;
}

}  // namespace quarrow
