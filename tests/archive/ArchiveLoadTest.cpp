#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "archive/ArchiveMerge.h"
#include "archive/ArchiveTestData.h"
#include "archive/LoadArchives.h"
#include "engine/TestHelpers.h"
#include "fixtures/TempDir.h"

namespace quarrow {
namespace {

namespace fs = std::filesystem;

using test::linesOf;

TEST(ArchiveLoad, ServerNameIsCutFromTheFirstHeaderLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
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

SnapshotData parsed(const test::SnapshotContents& contents) {
    SnapshotData data;
    std::string error;
    EXPECT_TRUE(parseSnapshot(test::snapshotBytes(contents, "x.qrnet"), data, &error)) << error;
    return data;
}

TEST(ArchiveLoad, FirstSnapshotKeepsItsReferencesAsWritten) {
    SnapshotData a = parsed({"a.org", "/", {{"/x/", "1.mp3"}, {"/x/", "2.mp3"}}});
    a.dirs = {};
    a.dirs.append("/x/");
    a.dirs.append("00");
    ArchiveLists lists;
    ASSERT_TRUE(MergeSnapshot(lists, a, "", true, nullptr));
    EXPECT_EQ(linesOf(lists.ArchiveNames), (std::vector<std::string>{"/x/", "00", "/x/"}));
    ArchiveLists shifted;
    ASSERT_TRUE(MergeSnapshot(shifted, a, "", false, nullptr));
    EXPECT_EQ(linesOf(shifted.ArchiveNames), (std::vector<std::string>{"/x/", "0", "/x/"}));
}

class ArchiveFiles : public testing::Test {
protected:
    std::string file(const std::string& name) const { return dir_.path() + name; }
    std::string write(const std::string& name, const test::SnapshotContents& contents) const {
        test::writeSnapshot(file(name), contents);
        return file(name);
    }
    std::string writeBytes(const std::string& name, const std::string& bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
        return file(name);
    }

    test::TempDir dir_;
};

TEST_F(ArchiveFiles, MergesSnapshotsInOrderAndStopsAtADamagedOne) {
    // A: three files in two folders, so five names. B's reference "0" becomes "5".
    const std::string a =
        write("a.qrnet", {"a.org", "/", {{"/x/", "1.mp3"}, {"/x/", "2.mp3"}, {"/y/", "3.mp3"}}});
    const std::string b = write("b.qrnet", {"b.org", "/", {{"/z/", "4.mp3"}, {"/z/", "5.mp3"}}});
    const std::string good = test::snapshotBytes({"c.org", "/", {{"/c/", "5.mp3"}}}, "c.qrnet");
    const std::vector<std::pair<std::string, std::string>> damages = {
        {"cut off", good.substr(0, good.size() - 6)},
        {"corrupt stream", good.substr(0, 20) + std::string(good.size() - 20, '\x55')},
        {"not a snapshot", "hello"},
        {"empty file", ""},
    };
    for (const auto& [what, bytes] : damages) {
        const std::string damaged = writeBytes("damaged.qrnet", bytes);
        const std::string missing = file("missing.qrnet");
        const ArchiveLoadResult result = LoadArchiveFiles(
            {a, missing, b, damaged, write("d.qrnet", {"d.org", "/", {{"/d/", "6.mp3"}}})});
        EXPECT_EQ(linesOf(result.lists.FileDirs),
                  (std::vector<std::string>{"1.mp3", "2.mp3", "3.mp3", "/x/", "/y/", "4.mp3",
                                            "5.mp3", "/z/"}))
            << what;
        EXPECT_EQ(linesOf(result.lists.ArchiveNames),
                  (std::vector<std::string>{"a.org/x/", "0", "a.org/y/", "a.org/x/", "a.org/y/",
                                            "b.org/z/", "5", "b.org/z/"}))
            << what;
        EXPECT_NE(result.error.find(damaged), std::string::npos) << what << ": " << result.error;
        EXPECT_EQ(result.missing, (std::vector<std::string>{missing})) << what;
        const auto content = ArchiveContent::Build(ArchiveLists(result.lists));
        for (const auto& [line, location] : std::vector<std::pair<std::uint32_t, std::string>>{
                 {1, "a.org/x/"}, {6, "b.org/z/"}, {7, "b.org/z/"}, {99, ""}})
            EXPECT_EQ(content->location(line), location) << line;
    }
}

TEST_F(ArchiveFiles, SnapshotOfLocalFoldersAddsNoNames) {
    // Its first header line does not contain a lower-case "ftp", so its lists are not read.
    test::SnapshotContents local{"C:", "\\", {{"C:\\music\\", "1.mp3"}}};
    local.headerLead = "Local folders, no Ftp: ";
    const ArchiveLoadResult result = LoadArchiveFiles(
        {write("local.qrnet", local), write("ftp.qrnet", {"a.org", "/", {{"/x/", "2.mp3"}}})});
    EXPECT_TRUE(result.error.empty()) << result.error;
    EXPECT_EQ(linesOf(result.lists.FileDirs), (std::vector<std::string>{"2.mp3", "/x/"}));
    EXPECT_EQ(linesOf(result.lists.ArchiveNames),
              (std::vector<std::string>{"a.org/x/", "a.org/x/"}));
}

TEST_F(ArchiveFiles, ListsSnapshotsOfTheArchiveFolderAndKeepsTicks) {
    const std::string program = dir_.path();
    fs::create_directories(program + "Arhive/folder.qrnet.d");
    for (const char* name : {"One.qrnet", "Two.qrnet", "notes.txt", "Upper.QRNET",
                             "\xD0\x9C\xD1\x83\xD0\xB7\xD1\x8B\xD0\xBA\xD0\xB0.qrnet", "a.b.qrnet"})
        std::ofstream(program + "Arhive/" + name) << "x";
    auto items = RefreshArchiveList(program, {});
    std::vector<std::string> names;
    for (const auto& item : items) {
        names.push_back(item.name);
        EXPECT_FALSE(item.checked) << item.name;
    }
    std::sort(names.begin(), names.end());
    // "Музыка" comes back as Windows-1251 text.
    EXPECT_EQ(names, (std::vector<std::string>{"One", "Two", "a.b", "\xCC\xF3\xE7\xFB\xEA\xE0"}));

    for (auto& item : items) item.checked = item.name == "One" || item.name == "Two";
    items.push_back({"TWO", true});
    items.push_back({"\xEC\xF3\xE7\xFB\xEA\xE0", true});  // "музыка": letter case aside
    fs::remove(program + "Arhive/Two.qrnet");
    const auto again = RefreshArchiveList(program, items);
    std::vector<std::string> ticked;
    for (const auto& item : again)
        if (item.checked) ticked.push_back(item.name);
    std::sort(ticked.begin(), ticked.end());
    EXPECT_EQ(ticked, (std::vector<std::string>{"One", "\xCC\xF3\xE7\xFB\xEA\xE0"}));
    EXPECT_EQ(TickedSnapshotPaths(program, {{"One", true}, {"Two", false}}),
              (std::vector<std::string>{program + "Arhive/One.qrnet"}));
}

}  // namespace
}  // namespace quarrow
