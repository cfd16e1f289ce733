#pragma once

#include <string>
#include <string_view>

#include "engine/SnapshotFile.h"

namespace quarrow {

enum class SnapshotLoad { Loaded, Missing, Damaged };

// Reads one snapshot for the archive: the header, folder and name lists, and the first
// header line as the host text. The container is unpacked in memory. A missing file leaves
// `out` untouched and the host text empty; a damaged one, anything but a regular file at the
// path, or one too large for memory fills `error` with a message that names the file.
// `reuse` as for readSnapshotFile.
SnapshotLoad LoadSnapshot(std::string_view path, SnapshotData& out, std::string& host,
                          std::string* error, SnapshotBuffers* reuse = nullptr);

}  // namespace quarrow
