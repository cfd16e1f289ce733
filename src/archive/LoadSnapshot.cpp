#include "archive/LoadSnapshot.h"

#include "platform/Cp1251.h"
#include "platform/FileSystem.h"

namespace quarrow {

SnapshotLoad LoadSnapshot(std::string_view path, SnapshotData& out, std::string& host,
                          std::string* error, SnapshotBuffers* reuse) {
    host.clear();
    if (!pathExists(path)) return SnapshotLoad::Missing;
    std::string detail;
    if (!readSnapshotFile(path, out, &detail, reuse)) {
        // The reader's messages are UTF-8 already; the path is system text.
        if (error) *error = std::string(path) + ": " + utf8ToCp1251(detail);
        return SnapshotLoad::Damaged;
    }
    if (!out.header.empty()) host = out.header.front();
    return SnapshotLoad::Loaded;
}

}  // namespace quarrow
