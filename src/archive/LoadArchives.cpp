#include "archive/LoadArchives.h"

#include <algorithm>
#include <filesystem>
#include <new>

#include "archive/ArchiveMerge.h"
#include "archive/SnapshotReadAhead.h"
#include "engine/SnapshotContainer.h"
#include "platform/FileSystem.h"

namespace quarrow {
namespace {

// The files' stated content lengths bound the names they hold. The lists are given that room
// at once, so they are never copied as they grow, and its pages are only touched as names
// fill them. Only a hint: a length no snapshot of the file's size comes to counts as that
// bound, and when the room cannot be had, the lists grow as they go.
void makeRoom(ArchiveLists& lists, const std::vector<std::string>& paths) {
    constexpr std::size_t kContainerStart = 4096;
    constexpr std::size_t kLikeliestRatio = 16;  // names compress far less than this
    std::size_t room = 0;
    std::string start;
    for (const std::string& path : paths) {
        std::error_code failed;
        const auto size = std::filesystem::file_size(nativePath(path), failed);
        if (failed || !readWholeFile(path, start, nullptr, kContainerStart)) continue;
        room +=
            std::min<std::size_t>(statedContentLength(start).value_or(0), kLikeliestRatio * size);
    }
    try {
        // A name takes at least a few bytes of content: its line, its size, its time.
        lists.FileDirs.reserve(room / 8, room);
        lists.ArchiveNames.reserve(room / 8, room);
    } catch (const std::bad_alloc&) {
    }
}

}  // namespace

ArchiveLoadResult LoadArchiveFiles(const std::vector<std::string>& paths) {
    ArchiveLoadResult result;
    makeRoom(result.lists, paths);
    SnapshotReadAhead reader(paths);
    bool first = true;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        ReadSnapshot file = reader.take(i);
        if (file.load == SnapshotLoad::Damaged) {
            result.error = file.error;
            return result;
        }
        if (file.load == SnapshotLoad::Missing) result.missing.push_back(path);
        std::string error;
        ArchiveLists& lists = result.lists;
        const std::size_t dirsBefore = lists.FileDirs.size();
        const std::size_t namesBefore = lists.ArchiveNames.size();
        const bool merged = loadWithinMemory(
            [&] {
                return MergeSnapshot(lists, file.snapshot, ServerFromHost(file.host), first,
                                     &error);
            },
            &error);
        if (!merged) {
            // Memory may run out halfway through a merge; what came before this file stays.
            lists.FileDirs.truncate(dirsBefore);
            lists.ArchiveNames.truncate(namesBefore);
            result.error = path + ": " + error;
            return result;
        }
        reader.recycle(std::move(file.snapshot));
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
