#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quarrow {

// One line of the archive tab's check list: a snapshot's name without ".qrnet", and its tick.
struct ArchiveListItem {
    std::string name;
    bool checked = false;
};

// RefreshArchiveList: the snapshots in "Arhive/" of the program folder, in the order the file
// system lists them (entries whose extension is exactly ".qrnet", names converted to system
// text). An item that was ticked in `current` is ticked again when a name equal to it, letter
// case aside, is listed anew (the first such name).
std::vector<ArchiveListItem> RefreshArchiveList(std::string_view programDir,
                                                const std::vector<ArchiveListItem>& current);

}  // namespace quarrow
