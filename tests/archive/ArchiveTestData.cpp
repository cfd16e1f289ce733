#include "archive/ArchiveTestData.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "engine/SnapshotContainer.h"
#include "engine/SnapshotFile.h"
#include "engine/SnapshotHeader.h"
#include "platform/Cp1251.h"

namespace quarrow::test {

void sortByName(const std::vector<std::string>& names, std::vector<std::uint32_t>& lines) {
    std::sort(lines.begin(), lines.end(), [&](std::uint32_t a, std::uint32_t b) {
        const std::string x = upperCp1251(names[a]), y = upperCp1251(names[b]);
        const auto ux = std::basic_string<unsigned char>(x.begin(), x.end());
        const auto uy = std::basic_string<unsigned char>(y.begin(), y.end());
        return ux != uy ? ux < uy : a < b;
    });
}

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
    std::string lastFolder;
    std::size_t folderLine = 0;
    for (std::size_t i = 0; i < contents.files.size(); ++i) {
        const auto& [folder, name] = contents.files[i];
        if (i > 0 && folder == lastFolder) {
            dirs.append(std::to_string(folderLine));
        } else {
            dirs.append(folder);
            lastFolder = folder;
            folderLine = i;
        }
        names.append(name);
    }
    return packSnapshot(entryName, buildSnapshotContent(header, dirs, names));
}

void writeSnapshot(const std::string& file, const SnapshotContents& contents) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << snapshotBytes(contents, file.substr(file.rfind('/') + 1));
    if (!out) throw std::runtime_error("cannot write " + file);
}

std::vector<std::string> randomNames(std::mt19937& rng, std::size_t count) {
    const std::vector<std::string> pieces = {
        // Words, some differing only in case, some glued to separators.
        "ab", "ba", "rock", "live", "the", "best", "of", "a", "b", "mix", "ox", "Rock", "LIVE",
        "x1", "2004", "b-side", "(live)", "[cd1]", "a_b", "+", "tail",
        // Cyrillic, upper and lower case.
        "\xEF\xE5\xF1\xED\xFF", "\xCF\xC5\xD1", "\xB8\xEB\xEA\xE0"};
    const std::vector<std::string> glue = {" ", " ", "-", " - ", "_", ".", "", "(", ")"};
    const std::vector<std::string> endings = {".mp3", ".flac", ".txt", "", ".a", "/"};
    std::uniform_int_distribution<std::size_t> words(1, 6);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < count; ++i) {
        std::string name = rng() % 5 == 0 ? "/" : "";
        for (std::size_t n = words(rng); n > 0; --n) {
            name += pieces[rng() % pieces.size()];
            if (n > 1) name += glue[rng() % glue.size()];
        }
        name += endings[rng() % endings.size()];
        if (rng() % 17 == 0) name = "  " + name + " ";
        names.push_back(name);
    }
    return names;
}

}  // namespace quarrow::test
