#include "archive/ArchiveTestData.h"

#include "engine/SnapshotContainer.h"
#include "engine/SnapshotFile.h"
#include "engine/SnapshotHeader.h"
#include "engine/TestHelpers.h"

namespace quarrow::test {

std::shared_ptr<const ArchiveContent> contentOf(const std::vector<std::string>& names) {
    ArchiveLists lists;
    for (const auto& name : names) {
        lists.FileDirs.append(name);
        lists.ArchiveNames.append("/");
    }
    return ArchiveContent::Build(std::move(lists));
}

std::string snapshotBytes(const SnapshotContents& contents, const std::string& entryName) {
    SnapshotHeaderTexts texts{contents.headerLead, "Created: ", "Files: ", ""};
    const auto header =
        buildSnapshotHeader(texts, contents.server, contents.path, contents.files.size(),
                            "anonymous", {}, "*.*", "01.02.2026_10.00.00");
    StringList dirs, names;
    std::size_t folderLine = 0;
    for (std::size_t i = 0; i < contents.files.size(); ++i) {
        const auto& [folder, name] = contents.files[i];
        if (i > 0 && folder == contents.files[i - 1].first) {
            dirs.append(std::to_string(folderLine));
        } else {
            dirs.append(folder);
            folderLine = i;
        }
        names.append(name);
    }
    return packSnapshot(entryName, buildSnapshotContent(header, dirs, names));
}

std::string writeSnapshot(const std::string& file, const SnapshotContents& contents) {
    writeRaw(file, snapshotBytes(contents, fileNameOf(file)));
    return file;
}

}  // namespace quarrow::test
