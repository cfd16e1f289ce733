#include "archive/ArchiveMerge.h"

#include <algorithm>
#include <vector>

#include "engine/FormatError.h"

namespace quarrow {
namespace {

bool isFolderPath(std::string_view line) {
    return line.find('/') != std::string_view::npos;
}

}  // namespace

std::string ServerFromHost(std::string_view host) {
    const std::size_t ftp = host.find("ftp://");
    const std::size_t from = ftp == std::string_view::npos ? 5 : ftp + 6;
    const std::string_view rest = host.substr(std::min(from, host.size()), 255);
    const std::size_t slashes = rest.find("//");
    return slashes == std::string_view::npos ? std::string() : std::string(rest.substr(0, slashes));
}

bool MergeSnapshot(ArchiveLists& lists, const SnapshotData& snapshot, std::string_view server,
                   bool first, std::string* error) {
    const StringList& folders = snapshot.dirs;
    // Back-references point into this snapshot's lines, which start where the merged names end.
    const std::size_t offset = lists.FileDirs.size();
    const std::size_t entriesBefore = lists.ArchiveNames.size();
    std::vector<std::string_view> paths;
    std::vector<std::size_t> pathEntries;
    std::string reference;
    std::size_t value = 0;
    for (std::size_t j = 0; j < folders.size(); ++j) {
        const std::string_view line = folders[j];
        // Nearly every line is a number, which holds no "/": it is tried first.
        if (!first && readBackReference(line, value)) {
            lists.ArchiveNames.appendNumber(value + offset);
        } else if (isFolderPath(line)) {
            paths.push_back(line);
            pathEntries.push_back(lists.ArchiveNames.size());
            reference.assign(server).append(line);
            lists.ArchiveNames.append(reference);
        } else if (first) {
            lists.ArchiveNames.append(line);
        } else {
            lists.ArchiveNames.truncate(entriesBefore);
            return formatError(
                error, "folder line " + std::to_string(j) + " is neither a path nor a number");
        }
    }
    // Each folder path is also a searchable name, located at its own folder.
    for (const std::size_t entry : pathEntries) lists.ArchiveNames.appendCopyOf(entry);
    lists.FileDirs.append(snapshot.names);
    for (const std::string_view path : paths) lists.FileDirs.append(path);
    return true;
}

}  // namespace quarrow
