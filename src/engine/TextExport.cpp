#include "engine/TextExport.h"

#include <algorithm>

#include "engine/SnapshotFile.h"

namespace quarrow {

namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kScheme = "ftp://";
// Rough folder length per line, to reserve the export in one step for common trees.
constexpr std::size_t kTypicalFolderLength = 40;

std::size_t nameBytes(const StringList& names, std::size_t count) {
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < count; ++i) bytes += names.at(i).size();
    return bytes;
}

std::string urlList(std::string_view server, const StringList& dirs, const StringList& names) {
    const std::size_t count = std::min(dirs.size(), names.size());
    std::string out;
    out.reserve(nameBytes(names, count) + count * (kScheme.size() + server.size() +
                                                   kTypicalFolderLength + kLineBreak.size()));
    for (std::size_t i = 0; i < count; ++i) {
        std::string_view folder = dirs.at(i);
        resolveFolder(dirs, i, folder);
        out.append(kScheme).append(server).append(folder).append(names.at(i)).append(kLineBreak);
    }
    return out;
}

std::string nameList(const StringList& names) {
    std::string out;
    out.reserve(nameBytes(names, names.size()) + names.size() * kLineBreak.size());
    for (std::size_t i = 0; i < names.size(); ++i) out.append(names.at(i)).append(kLineBreak);
    return out;
}

}  // namespace

std::string buildTextExport(int mode, std::string_view server, const StringList& dirs,
                            const StringList& names) {
    switch (mode) {
        case 1:
            return urlList(server, dirs, names);
        case 2:
            return nameList(names);
        default:
            return {};
    }
}

}  // namespace quarrow
