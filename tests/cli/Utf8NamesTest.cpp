// Names of servers that send UTF-8 next to Windows-1251: shown, searched, stored, walked and
// downloaded with the right characters, every path going back as the server's own bytes.
#include <csignal>
#include <filesystem>

#include <gmock/gmock.h>

#include "cli/ChildProcess.h"
#include "engine/TestHelpers.h"
#include "platform/Cp1251.h"
#include "platform/ServerNames.h"

namespace quarrow::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::AllOf;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::UnorderedElementsAreArray;

TEST(Utf8Names, StoredAsWindows1251WhereItCanBeAndNeverLost) {
    const struct {
        std::string server;  // as the server sends it
        std::string stored;
        std::string shown;  // UTF-8 at the edges
    } cases[] = {
        {"Фильмы", "\xD4\xE8\xEB\xFC\xEC\xFB", "Фильмы"},
        {"\xCC\xF3\xE7\xFB\xEA\xE0", "\xCC\xF3\xE7\xFB\xEA\xE0", "Музыка"},  // Windows-1251
        {"漢字 Песня 🎵", "漢字 \xCF\xE5\xF1\xED\xFF 🎵", "漢字 Песня 🎵"},
        {"plain.mp3", "plain.mp3", "plain.mp3"},
        {"ДІ", "ДІ", "ДІ"},  // its Windows-1251 bytes would read as UTF-8 "Ĳ"
        {"\xC0\x80 overlong", "\xC0\x80 overlong", "А\xD0\x82 overlong"},  // no UTF-8: bytes kept
    };
    for (const auto& c : cases) {
        EXPECT_EQ(storedName(c.server), c.stored) << c.shown;
        EXPECT_EQ(cp1251ToUtf8(c.stored), c.shown);
        EXPECT_EQ(utf8ToCp1251(cp1251ToUtf8(c.stored)), c.stored) << c.shown;
    }
    // Folding UTF-8 bytes by the code page would make these two folder names one.
    EXPECT_EQ(upperCp1251("丨"), upperCp1251("丸"));
    EXPECT_NE(upperName("/a/丨/"), upperName("/A/丸/"));
    EXPECT_EQ(upperName("/a/丨/\xEC\xF3\xE7"), upperName("/A/丨/\xCC\xD3\xC7"));
}

// Which bytes go back for a stored path: the listed ones for folders seen, else a guess by
// the announcement with the other encoding as the second choice.
TEST(Utf8Names, PathsGoBackAsTheServersOwnBytes) {
    const std::string films = "\xD4\xE8\xEB\xFC\xEC\xFB";  // "Фильмы" in Windows-1251
    for (const bool announced : {true, false}) {
        SCOPED_TRACE(announced);
        ServerNames names;
        names.setUtf8(announced);
        std::vector<FtpEntry> listing = {{"Фильмы", kAttrDirectory},
                                         {"\xCC\xF3\xE7\xFB\xEA\xE0", kAttrDirectory},
                                         {"Фильмы.txt", kAttrNormal}};
        names.adopt("/pub/", "/pub/", listing);
        EXPECT_EQ(listing[0].name, films);
        EXPECT_EQ(listing[2].name, films + ".txt");
        EXPECT_EQ(names.serverPaths("/pub/" + films + "/a/").front(), "/pub/Фильмы/a/");
        EXPECT_EQ(names.serverPaths("/pub/\xCC\xF3\xE7\xFB\xEA\xE0/").front(),
                  "/pub/\xCC\xF3\xE7\xFB\xEA\xE0/");
        const Lines unknown = {"/" + films + "/", "/Фильмы/"};
        EXPECT_EQ(names.serverPaths("/" + films + "/"),
                  announced ? Lines(unknown.rbegin(), unknown.rend()) : unknown);
        EXPECT_EQ(names.serverPaths("/漢字/"), Lines{"/漢字/"});
    }
}

// A tree served raw: Windows-1251 names, UTF-8 names with Windows-1251 codes, UTF-8 names
// without, and two folders that only the code page's folding would take for one.
class Utf8TreeTest : public testing::Test {
protected:
    void SetUp() override {
        copyLanguageFiles(dir());
        for (int i = 0; i < 8; ++i)  // a slow tail, for a stop halfway
            shown.push_back("/Фильмы/Новое/часть " + std::to_string(i) + "/f.mp3");
        // Contents "1", "22", "333", ... in the order of `shown`.
        std::vector<TreeItem> tree;
        for (const std::string& file : shown)
            tree.push_back({file.substr(1),
                            std::string(tree.size() + 1, static_cast<char>('1' + tree.size()))});
        tree[0].path = "\xCC\xF3\xE7\xFB\xEA\xE0/\xEF\xE5\xF1\xED\xFF.mp3";
        makeTree(tree_.path(), tree);
        server_ = std::make_unique<FtpServer>(tree_.path(), slowListings(0.1));
    }
    std::string dir() const { return program_.path(); }
    ChildResult cli(const Lines& args) const { return runCliIn(dir(), args); }

    // The files as shown; the first is served as its Windows-1251 bytes, the rest as UTF-8.
    Lines shown = {"/Музыка/песня.mp3",
                   "/Фильмы/кино.mp3",
                   "/Фильмы/Новое/песня.mp3",
                   "/漢字/Песня 歌.mp3",
                   "/丨/a.mp3",
                   "/丸/b.mp3",
                   "/🎵.mp3"};
    TempDir program_;
    TempDir tree_;
    std::unique_ptr<FtpServer> server_;
};

// Stopped by SIGINT halfway, the scan leaves complete files and no work file; a fresh session
// that has listed nothing yet resumes it.
TEST_F(Utf8TreeTest, ScanDumpSearchAndResumeShowTheRightCharacters) {
    const std::string snapshot = todaysSnapshot(dir()), resume = todaysResumeFile(dir());
    // One listing at a time, so the stop comes halfway.
    writeRaw(dir() + "quarrow.ini", "[Connection]\r\nParallelListings=1\r\n");
    ChildProcess scan({QUARROW_CLI_PATH, "--program-dir", dir(), "scan",
                       loopback(server_->port()) + "[mask=*.mp3]"});
    ASSERT_TRUE(scan.signalWhen(
        SIGINT, [&] { return fs::exists(resume) && dumped(snapshot, 'F').size() >= 4; }, 20s));
    ASSERT_EQ(scan.wait().exitCode, 130);
    ASSERT_LT(dumped(snapshot, 'F').size(), shown.size()) << "stopped too late";
    for (const char* folder : {"Arhive", "Session"})
        for (const auto& entry : fs::directory_iterator(dir() + folder))
            EXPECT_FALSE(entry.path().string().ends_with("tmp")) << entry.path();
    const std::string resumed = dir() + "Arhive/resumed.qrnet";
    ASSERT_EQ(cli({"resume", resume, resumed}).exitCode, 0);
    // The folder being listed at the stop is listed again, so it may appear twice.
    Lines files = dumped(resumed, 'F');
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    EXPECT_THAT(files, UnorderedElementsAreArray(shown));

    // A Cyrillic query finds the Windows-1251 and the UTF-8 names alike.
    EXPECT_THAT(cli({"search", resumed, "--", "песня"}).out,
                HasSubstr(R"("files": ["Песня 歌.mp3", "песня.mp3", "песня.mp3"])"));
}

TEST_F(Utf8TreeTest, WatchCheckAndDownloadUseTheServersBytes) {
    ASSERT_EQ(cli({"watch", "add",
                   loopback(server_->port()) + "[path=/][mask=*.MP3][subfolders][savename=" +
                       dir() + "result][savetype=1]"})
                  .exitCode,
              0);
    const ChildResult checked = cli({"watch", "check", "0"});
    ASSERT_EQ(checked.exitCode, 0) << checked.err;
    EXPECT_THAT(checked.out, HasSubstr("\"files\": 15"));
    EXPECT_THAT(checked.out, HasSubstr("\"url\": \"ftp://127.0.0.1/漢字/Песня 歌.mp3\""));
    // The result file is Windows-1251 where the names have codes there.
    EXPECT_THAT(bytesOf(dir() + "result.txt").value_or(""),
                HasSubstr("ftp://127.0.0.1/\xD4\xE8\xEB\xFC\xEC\xFB/\xEA\xE8\xED\xEE.mp3"));

    // Fetched with the entry's login, one JSON line each; one missing file makes exit 1.
    const ChildResult got = cli({"download", "0", "/Фильмы/кино.mp3", "/gone.mp3",
                                 "/Музыка/песня.mp3", "/漢字/Песня 歌.mp3"});
    EXPECT_EQ(got.exitCode, 1) << got.err;
    EXPECT_THAT(splitLines(got.out),
                ElementsAre(AllOf(HasSubstr("\"path\": \"/Фильмы/кино.mp3\", \"local\": \"" +
                                            dir() + "Downloads/кино.mp3\", \"bytes\": 2"),
                                  HasSubstr("\"ok\": true")),
                            AllOf(HasSubstr("Cannot files gone.mp3."), HasSubstr("\"ok\": false")),
                            HasSubstr("\"ok\": true"), HasSubstr("\"ok\": true")));
    for (const auto& [name, content] :
         {std::pair{"кино.mp3", "22"}, {"песня.mp3", "1"}, {"Песня 歌.mp3", "4444"}}) {
        EXPECT_EQ(bytesOf(dir() + "Downloads/" + utf8ToCp1251(name)), content) << name;
    }
    EXPECT_EQ(cli({"download", "0", "relative.mp3"}).exitCode, 2);
    EXPECT_EQ(cli({"download", "7", "/a.mp3"}).exitCode, 2);
}

}  // namespace
}  // namespace quarrow::test
