#include <filesystem>

#include "archive/ArchiveList.h"
#include "archive/ArchiveMerge.h"
#include "archive/ArchiveTestData.h"
#include "archive/FolderReferences.h"
#include "archive/LoadArchives.h"
#include "engine/TestHelpers.h"

namespace quarrow::test {
namespace {

namespace fs = std::filesystem;

TEST(ArchiveLoad, ServerNameIsCutFromTheFirstHeaderLine) {
    const std::pair<std::string, std::string> cases[] = {
        {"FTP snapshot: ftp://ftp.example.org//pub/", "ftp.example.org"},
        {"ftp://host:2121//", "host:2121"},
        // Without "ftp://" the text is cut from its sixth character on.
        {"Snapshot of host//pub/", "hot of host"},
        // Without "//" after the cut nothing is left.
        {"FTP snapshot: ftp://host/pub/", ""},
        {"", ""},
        // Only 255 characters after "ftp://" are looked at.
        {"ftp://" + std::string(253, 'h') + "//", std::string(253, 'h')},
        {"ftp://" + std::string(254, 'h') + "//", ""},
    };
    for (const auto& [host, server] : cases) EXPECT_EQ(ServerFromHost(host), server) << host;
}

TEST(ArchiveLoad, MergesSnapshotsInOrderAndStopsAtADamagedOne) {
    TempDir dir;
    const auto write = [&](const std::string& name, const SnapshotContents& contents) {
        return writeSnapshot(dir.path() + name, contents);
    };
    // A: three files in two folders, so five names. B's reference "0" becomes "5".
    const std::string a =
        write("a.qrnet", {"a.org", "/", {{"/x/", "1.mp3"}, {"/x/", "2.mp3"}, {"/y/", "3.mp3"}}});
    // Local folders add no names: the first header line holds no lower-case "ftp".
    const std::string local =
        write("local.qrnet", {"C:", "\\", {{"C:\\music\\", "1.mp3"}}, "Local folders, no Ftp: "});
    const std::string b = write("b.qrnet", {"b.org", "/", {{"/z/", "4.mp3"}, {"/z/", "5.mp3"}}});
    const std::string d = write("d.qrnet", {"d.org", "/", {{"/d/", "6.mp3"}}});
    const std::string missing = dir.path() + "missing.qrnet";
    const std::string damaged = dir.path() + "damaged.qrnet";
    // Every kind of damage is refused alike (the damaged-files suite); a cut file stands for all.
    const std::string good = snapshotBytes({"c.org", "/", {{"/c/", "5.mp3"}}}, "c.qrnet");
    writeRaw(damaged, good.substr(0, good.size() - 6));
    const ArchiveLoadResult result = LoadArchiveFiles({a, missing, local, b, damaged, d});
    EXPECT_EQ(linesOf(result.lists.FileDirs),
              (Lines{"1.mp3", "2.mp3", "3.mp3", "/x/", "/y/", "4.mp3", "5.mp3", "/z/"}));
    Lines references;
    for (std::size_t i = 0; i < result.lists.ArchiveNames.size(); ++i)
        references.push_back(result.lists.ArchiveNames.entry(i));
    EXPECT_EQ(references, (Lines{"a.org/x/", "0", "a.org/y/", "a.org/x/", "a.org/y/", "b.org/z/",
                                 "5", "b.org/z/"}));
    EXPECT_NE(result.error.find(damaged), std::string::npos) << result.error;
    EXPECT_EQ(result.missing, Lines{missing});
    const auto content = ArchiveContent::Build(ArchiveLists(result.lists));
    for (const auto& [line, location] : std::vector<std::pair<std::uint32_t, std::string>>{
             {1, "a.org/x/"}, {6, "b.org/z/"}, {7, "b.org/z/"}, {99, ""}})
        EXPECT_EQ(content->location(line), location) << line;
}

// Entries are kept as numbers where that reads back the same; the others stay text, and a
// text that reads as a number still refers like one. A failed merge's entries are cut off;
// a copy shares its text, which stays while any entry kept uses it.
TEST(ArchiveLoad, FolderReferencesReadBackAsAppendedAndResolve) {
    const Lines entries = {"s/a/", "0", "07", "5", "99999999999", "x", "3", "2", "s/a/"};
    FolderReferences references;
    for (std::size_t i = 0; i + 2 < entries.size(); ++i) references.append(entries[i]);
    references.appendNumber(2);
    references.appendCopyOf(0);
    const Lines locations = {"s/a/", "s/a/", "2", "x", "", "x", "5", "07", "s/a/"};
    for (std::size_t i = 0; i < locations.size(); ++i) {
        EXPECT_EQ(references.entry(i), entries[i]) << i;
        EXPECT_EQ(references.location(i), locations[i]) << i;
    }
    // Names of one folder share a run; a cut inside the run keeps its start.
    for (int i = 0; i < 3; ++i) references.appendNumber(1);
    references.truncate(10);
    references.append("t/");
    EXPECT_EQ(references.entry(5), "x");
    EXPECT_EQ((Lines{references.entry(9), references.entry(10)}), (Lines{"1", "t/"}));
    references.truncate(3);
    references.append("u/");
    EXPECT_EQ(references.entry(2), "07");
    EXPECT_EQ(references.entry(3), "u/");
    EXPECT_EQ(references.size(), 4u);
}

// Names on disk are UTF-8, the list's Windows-1251; a tick stays with a name listed anew,
// letter case aside, Cyrillic included.
TEST(ArchiveLoad, ListsSnapshotsOfTheArchiveFolderAndKeepsTicks) {
    const TempDir dir;
    const std::string program = dir.path();
    fs::create_directories(program + "Arhive/folder.qrnet.d");
    for (const char* name :
         {"One.qrnet", "a.b.qrnet", "\xD0\x9C\xD1\x83\xD0\xB7\xD1\x8B\xD0\xBA\xD0\xB0.qrnet"})
        writeRaw(program + "Arhive/" + name, "x");
    // "музыка" and "Музыка" in Windows-1251.
    std::vector<std::pair<std::string, bool>> listed;
    for (const auto& item :
         RefreshArchiveList(program, {{"\xEC\xF3\xE7\xFB\xEA\xE0", true}, {"one", false}}))
        listed.emplace_back(item.name, item.checked);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (decltype(listed){
                          {"One", false}, {"a.b", false}, {"\xCC\xF3\xE7\xFB\xEA\xE0", true}}));
    EXPECT_EQ(TickedSnapshotPaths(program, {{"One", true}, {"Two", false}}),
              (Lines{program + "Arhive/One.qrnet"}));
}

}  // namespace
}  // namespace quarrow::test
