#pragma once

#include <string>
#include <string_view>

#include "archive/ArchiveContent.h"
#include "engine/SnapshotFile.h"

namespace quarrow {

// The server name in a snapshot's first header line: what follows the first "ftp://" (at most
// 255 characters; from the sixth character on when there is none), cut before the first
// "//". Empty when no "//" follows.
std::string ServerFromHost(std::string_view host);

// Appends one snapshot to the archive lists: its file names and then its folder paths to
// `FileDirs`; to `ArchiveNames` its folder lines (paths prefixed with `server`, back-references
// shifted by the names already merged unless `first`), then a reference for each folder path.
// False, with nothing appended, when a back-reference is not a number.
bool MergeSnapshot(ArchiveLists& lists, const SnapshotData& snapshot, std::string_view server,
                   bool first, std::string* error);

}  // namespace quarrow
