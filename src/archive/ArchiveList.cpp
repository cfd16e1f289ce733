#include "archive/ArchiveList.h"

#include <dirent.h>

#include <memory>

#include "platform/Cp1251.h"
#include "platform/FileSystem.h"

namespace quarrow {
namespace {

constexpr std::string_view kSnapshotExtension = ".qrnet";

// The extension as the system reads it: from the last "." unless a "\" or ":" follows it.
std::string_view extensionOf(std::string_view name) {
    const std::size_t at = name.find_last_of(".\\:");
    if (at == std::string_view::npos || name[at] != '.') return {};
    return name.substr(at);
}

std::vector<std::string> listSnapshotNames(const std::string& folder) {
    std::vector<std::string> names;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(nativePath(folder).c_str()),
                                                  ::closedir);
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view native = entry->d_name;
        // The folder's own entries; Windows returns "." first and the listing skips it.
        if (native == "." || native == "..") continue;
        const std::string name = systemPath(native);
        if (extensionOf(name) == kSnapshotExtension)
            names.push_back(name.substr(0, name.size() - kSnapshotExtension.size()));
    }
    return names;
}

}  // namespace

std::vector<ArchiveListItem> RefreshArchiveList(std::string_view programDir,
                                                const std::vector<ArchiveListItem>& current) {
    std::vector<ArchiveListItem> items;
    for (std::string& name : listSnapshotNames(std::string(programDir) + "Arhive/"))
        items.push_back({std::move(name), false});
    for (const ArchiveListItem& old : current) {
        if (!old.checked) continue;
        for (ArchiveListItem& item : items) {
            if (equalsNoCase(item.name, old.name)) {
                item.checked = true;
                break;
            }
        }
    }
    return items;
}

}  // namespace quarrow
