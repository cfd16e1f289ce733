#pragma once

#include <string>
#include <string_view>

#include "engine/HistoryLists.h"

namespace quarrow {

// The options page's list rules. Each function changes only the entries; when it reports a
// change the caller writes the list to its file and updates the control.

// Choosing an entry of the identification combo: it becomes the identification in force
// unless it is blank.
void IdentComboChoose(std::string_view chosen, std::string& identText);

// Leaving the identification combo with `typed` in it: the text, upper-cased and trimmed,
// becomes a new entry unless it is empty or an entry already equals it (letter case ignored);
// only then does `typed`, as typed, become the identification in force. True when added.
bool IdentComboLeave(HistoryList& entries, std::string_view typed, std::string& identText);

// Adds `text` (untrimmed) to the end of the ignore list unless it is empty or an entry equals
// it with letter case ignored. True when added.
bool IgnoreListAdd(HistoryList& list, const std::string& text);

// Removes the selected entry and returns the selection afterwards: the entry that now has the
// removed one's position, or -1 when there is none. Nothing happens without a selection.
int IgnoreListRemove(HistoryList& list, int selected);

}  // namespace quarrow
