#include "archive/LoadArchives.h"

#include "archive/ArchiveMerge.h"
#include "archive/LoadSnapshot.h"

namespace quarrow {

ArchiveLoadResult LoadArchiveFiles(const std::vector<std::string>& paths) {
    ArchiveLoadResult result;
    bool first = true;
    for (const std::string& path : paths) {
        SnapshotData snapshot;
        std::string host;
        const SnapshotLoad load = LoadSnapshot(path, snapshot, host, &result.error);
        if (load == SnapshotLoad::Damaged) return result;
        if (load == SnapshotLoad::Missing) result.missing.push_back(path);
        std::string error;
        ArchiveLists& lists = result.lists;
        const std::size_t dirsBefore = lists.FileDirs.size();
        const std::size_t namesBefore = lists.ArchiveNames.size();
        const bool merged = loadWithinMemory(
            [&] { return MergeSnapshot(lists, snapshot, ServerFromHost(host), first, &error); },
            &error);
        if (!merged) {
            // Memory may run out halfway through a merge; what came before this file stays.
            lists.FileDirs.truncate(dirsBefore);
            lists.ArchiveNames.truncate(namesBefore);
            result.error = path + ": " + error;
            return result;
        }
        // A missing first file still ends the first-snapshot rule, as it contributes nothing.
        first = false;
    }
    return result;
}

std::vector<std::string> TickedSnapshotPaths(std::string_view programDir,
                                             const std::vector<ArchiveListItem>& items) {
    std::vector<std::string> paths;
    for (const ArchiveListItem& item : items) {
        if (item.checked)
            paths.push_back(std::string(programDir) + "Arhive/" + item.name + ".qrnet");
    }
    return paths;
}

}  // namespace quarrow
