#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "archive/ArchiveContent.h"
#include "archive/ArchiveList.h"

namespace quarrow {

// What loading a set of snapshots produced.
struct ArchiveLoadResult {
    ArchiveLists lists;
    // Empty when every file was read; otherwise why loading stopped, naming the file. What was
    // merged before that file stays in `lists`.
    std::string error;
    // Files that did not exist and so contributed nothing.
    std::vector<std::string> missing;
};

// Reads the snapshots in order and merges them into one pair of archive lists. Touches nothing
// shared, so it may run off the window thread (as may ArchiveContent::Build after it).
ArchiveLoadResult LoadArchiveFiles(const std::vector<std::string>& paths);

// The snapshot files of the ticked items, top to bottom: "Arhive/" of the program folder,
// the item text and ".qrnet".
std::vector<std::string> TickedSnapshotPaths(std::string_view programDir,
                                             const std::vector<ArchiveListItem>& items);

}  // namespace quarrow
