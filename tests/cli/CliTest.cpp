#include <gmock/gmock.h>

#include <csignal>
#include <filesystem>

#include "cli/ChildProcess.h"
#include "engine/StartupRules.h"
#include "engine/TestHelpers.h"
#include "fixtures/FtpProxy.h"
#include "platform/DateTimeText.h"

namespace quarrow::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::AllOf;
using testing::AnyOf;
using testing::Contains;
using testing::HasSubstr;
using testing::Not;
using testing::StartsWith;
using testing::UnorderedElementsAre;

// *.mp3 files at several depths (one upper-case extension, one folder "Музыка" sent as
// Windows-1251 bytes) and files the mask must leave out.
const std::vector<TreeItem> kTree = {
    {"top.mp3", "x"},
    {"notes.txt", "x"},
    {"a/one.mp3", "x"},
    {"a/skip.txt", "x"},
    {"a/b/two.MP3", "x"},
    {"c/three.mp3", "x"},
    {"\xCC\xF3\xE7\xFB\xEA\xE0/song.mp3", "x"},
};

TEST(CliUsage, HelpSucceedsAndMalformedCommandLinesExitTwoSayingWhy) {
    EXPECT_EQ(runCli({"--help"}).exitCode, 0);
    TempDir program;
    const auto scan = [&](const std::string& description) {
        return Lines{"--program-dir", program.path(), "scan", description};
    };
    const std::pair<Lines, std::string> cases[] = {
        {{}, "--help"},
        {{"frobnicate"}, "--help"},
        {{"--program-dir"}, "--help"},
        {{"scan"}, "--help"},
        {{"scan", "[server=a]", "[server=b]"}, "--help"},
        {{"dump"}, "--help"},
        {{"dump", "a.qrnet", "b.qrnet"}, "--help"},
        {{"resume", "only.qrsftp"}, "--help"},
        {{"update-check", "--url"}, "--help"},
        {scan("[server=127.0.0.1][port=abc]"), "abc"},
        {scan("[path=/pub][mask=*.mp3]"), "server"},
        {scan("[loadfile=" + program.path() + "no-such-list.txt]"), "no-such-list.txt"},
    };
    for (const auto& [args, named] : cases) {
        const ChildResult run = runCli(args);
        EXPECT_EQ(run.exitCode, 2) << testing::PrintToString(args);
        EXPECT_THAT(run.err, HasSubstr(named));
        EXPECT_EQ(run.out, "");
    }
}

// A program folder with the language files, and a tree served by a real FTP server.
class CliScanTest : public testing::Test {
protected:
    void SetUp() override { copyLanguageFiles(dir()); }

    void serve(const std::vector<TreeItem>& tree, const FtpServerOptions& options = {}) {
        makeTree(tree_.path(), tree);
        server_ = std::make_unique<FtpServer>(tree_.path(), options);
    }
    std::string dir() const { return program_.path(); }
    int port() const { return server_ ? server_->port() : 1; }
    std::string target() const { return loopback(port()) + "[mask=*.mp3]"; }
    std::string savedAs(const std::string& name) const {
        return "[savefilename=" + dir() + "Arhive/" + name + ".qrnet]";
    }
    ChildResult scan(const std::string& description) const {
        return runCliIn(dir(), {"scan", description});
    }
    // A watch entry for the server (port 1, where nothing listens, before `serve`).
    std::string entry(const std::string& more = "") const {
        return loopback(port()) + "[path=/][mask=*.MP3][subfolders][savename=" + dir() + "result]" +
               more;
    }
    ChildResult watch(Lines rest) const {
        rest.insert(rest.begin(), "watch");
        return runCliIn(dir(), rest);
    }

    TempDir program_;
    TempDir tree_;
    std::unique_ptr<FtpServer> server_;
};
using CliWatchTest = CliScanTest;

// Without language files the tool's own texts serve; the header's first line still tells every
// reader this is a snapshot of an FTP server.
TEST_F(CliScanTest, LoadFileRunsEachLineAsOneScanNumberedFromOne) {
    serve(kTree);
    fs::remove_all(dir() + "TXT");
    const std::string loadFile = dir() + "servers.txt";
    writeRaw(loadFile, loopback(port()) + "[path=/a][mask=*.mp3]\r\n[path=/c][mask=*.mp3]\r\n" +
                           loopback(port()) + "[path=c][mask=*.mp3][savefilename=" + dir() +
                           "Arhive/c_%date%.qrnet]\r\n");
    const ChildResult run = scan("[loadfile=" + loadFile + "]");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr("holds no language file"));
    EXPECT_THAT(
        splitLines(run.out),
        UnorderedElementsAre(AllOf(StartsWith("job 1: ftp://127.0.0.1/a/"), HasSubstr("files: 2")),
                             StartsWith("job 3: ftp://127.0.0.1/c/")));
    EXPECT_THAT(dumped(todaysSnapshot(dir()), 'H').at(0), HasSubstr("ftp"));
    EXPECT_THAT(dumped(todaysSnapshot(dir()), 'F'),
                UnorderedElementsAre("/a/b/two.MP3", "/a/one.mp3"));
    EXPECT_THAT(dumped(todaysResumeFile(dir()), 'Q'), UnorderedElementsAre("/a/", "/a/b/"));
    EXPECT_EQ(dumped(dir() + "Arhive/c_" + formatDate(std::time(nullptr)) + ".qrnet", 'F'),
              Lines{"/c/three.mp3"});
}

TEST_F(CliScanTest, IgnoreListSkipsFoldersAndCommentGoesIntoTheHeader) {
    serve({{"Private/secret.mp3", "x"},
           {"privy.mp3", "x"},
           {"public/song.mp3", "x"},
           {"deep/PRIVATE stuff/hidden.mp3", "x"},
           {"deep/ok.mp3", "x"}});
    writeRaw(dir() + "TXT/Ignore.txt", "priv\r\n");
    writeRaw(dir() + "TXT/Coment.txt",
             "Mirror kept by the tests\r\n\xC7\xE5\xF0\xEA\xE0\xEB\xEE\r\n");
    ASSERT_EQ(scan(target()).exitCode, 0);
    // Folders only: a file whose name starts with an ignored prefix is still listed.
    EXPECT_THAT(dumped(todaysSnapshot(dir()), 'F'),
                UnorderedElementsAre("/privy.mp3", "/public/song.mp3", "/deep/ok.mp3"));
    const Lines header = dumped(todaysSnapshot(dir()), 'H'),
                comment = {"Mirror kept by the tests", "Зеркало"};
    EXPECT_NE(std::search(header.begin(), header.end(), comment.begin(), comment.end()),
              header.end())
        << testing::PrintToString(header);
}

// Failures exit 1 naming what went wrong, networks that misbehave end as they really did: the
// exit code and the summary claim only what happened.
TEST_F(CliScanTest, ExitCodeAndSummaryClaimOnlyWhatHappened) {
    serve(kTree);
    writeRaw(dir() + "quarrow.ini", "[Connection]\r\nReconnects=2\r\nReconnectPause=10\r\n");
    writeRaw(dir() + "blocker", "a regular file where a folder is needed");
    TempDir logs;
    FtpProxyOptions passive, dying;
    passive.dropActive = true;
    passive.log = logs.path() + "passive.log";
    dying.closeAfter = 12;
    dying.maxConnections = 1;
    FtpProxy passiveProxy(server_->port(), passive), dyingProxy(server_->port(), dying);
    // A scan not walked claims no snapshot; any other never claims it was not walked.
    const struct {
        int exitCode;
        Lines said;
        std::string description;
    } cases[] = {
        {1, {"not walked", "no snapshot"}, loopback(1)},
        {1, {"not walked", "no snapshot"}, "[server=127.0.0.1][port=70000]"},
        {1,
         {"job 1: error: ", "files: 5"},
         target() + "[savefilename=" + dir() + "blocker/sub/snap.qrnet]"},
        {0,
         {"files: 7", "snapshot: " + dir() + "Arhive/passive.qrnet"},
         loopback(passiveProxy.port()) + savedAs("passive") + "[passive]"},
        {1,
         {"interrupted, incomplete (", "resume: " + dir() + "Session/", "scan is interrupted"},
         loopback(dyingProxy.port()) + savedAs("dying")},
        // The last with a file where the resume folder should be.
        {1,
         {"stale resume file: " + todaysResumeFile(dir()), "snapshot: " + todaysSnapshot(dir())},
         target()},
    };
    for (const auto& c : cases) {
        if (&c == std::end(cases) - 1) {
            fs::remove_all(dir() + "Session");
            writeRaw(dir() + "Session", "a regular file where the folder should be");
        }
        const ChildResult run = scan(c.description);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.description << run.out << run.err;
        for (const std::string& text : c.said) EXPECT_THAT(run.out + run.err, HasSubstr(text));
        EXPECT_THAT(run.out,
                    Not(HasSubstr(c.said[0] == "not walked" ? "snapshot: " : "not walked")));
    }
    EXPECT_THAT(passiveProxy.commands(),
                AllOf(Contains(StartsWith("USER")),
                      Not(Contains(AnyOf(StartsWith("EPRT"), StartsWith("PORT"))))));
}

TEST_F(CliWatchTest, AddListCheckAndRemoveAnEntry) {
    serve({{"a/new.mp3", "12345"}, {"a/b/deep.mp3", "x"}, {"skip.txt", "x"}});
    ASSERT_EQ(watch({"add", entry("[days=2]")}).exitCode, 0);
    EXPECT_EQ(watch({"add", entry("[days=2]")}).exitCode, 1) << "a duplicate was added";
    EXPECT_EQ(watch({"add", "[server=127.0.0.1][path=/x][password=x|user=y]"}).exitCode, 2);
    EXPECT_EQ(fs::status(dir() + "Spy/Spy.ini").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(watch({"list"}).out, "0\t[ ]\t127.0.0.1/   *.MP3   60 min\tInterval: 60 min\n");

    const ChildResult checked = watch({"check", "0"});
    ASSERT_EQ(checked.exitCode, 0) << checked.err;
    for (const char* part : {"\"entry\": 0", "\"files\": 2, \"dirs\": 2",
                             "{\"line\": \"new.mp3\", \"url\": \"ftp://127.0.0.1/a/new.mp3\", "
                             "\"size\": \"5 bytes\", \"bytes\": 5"})
        EXPECT_THAT(checked.out, HasSubstr(part));

    EXPECT_EQ(watch({"remove", "0"}).exitCode, 0);
    EXPECT_EQ(watch({"list"}).out, "");
    EXPECT_EQ(watch({"check", "0"}).exitCode, 2);
}

TEST_F(CliWatchTest, UnreachableServerAndDamagedListFail) {
    ASSERT_EQ(watch({"add", entry()}).exitCode, 0);
    EXPECT_EQ(watch({"check"}).exitCode, 1);

    std::string spy = bytesOf(dir() + "Spy/Spy.ini").value_or("");
    const auto at = spy.find("|port=1|");
    ASSERT_NE(at, std::string::npos) << spy;
    writeRaw(dir() + "Spy/Spy.ini", spy.replace(at, 8, "|port=x|"));
    const ChildResult listed = watch({"list"});
    EXPECT_EQ(listed.exitCode, 1);
    EXPECT_THAT(listed.err, HasSubstr("Spy.ini"));
    EXPECT_EQ(watch({"add", "[server=other]"}).exitCode, 1);
    EXPECT_EQ(bytesOf(dir() + "Spy/Spy.ini"), spy) << "a list that did not load was rewritten";
}

// Ctrl+C stops a running check, which still writes what it found; "run" checks an entry
// marked for start-up at once and ends cleanly on SIGTERM.
TEST_F(CliWatchTest, SignalsStopChecksKeepingTheirResults) {
    serve(folderTree(120), slowListings(0.2));
    ASSERT_EQ(watch({"add", entry("[savetype=2][startup]")}).exitCode, 0);
    const auto watchCommand = [&](const char* command) {
        return Lines{QUARROW_CLI_PATH, "--program-dir", dir(), "watch", command};
    };

    ChildProcess check(watchCommand("check"));
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(check.signalWhen(
        SIGINT, [&] { return std::chrono::steady_clock::now() - started > 800ms; }, 5s));
    const ChildResult stopped = check.wait(15s);
    EXPECT_EQ(stopped.exitCode, 130) << stopped.err;
    EXPECT_THAT(stopped.out, HasSubstr("\"entry\": 0"));
    EXPECT_TRUE(fs::remove(dir() + "result.txt"));

    ChildProcess run(watchCommand("run"));
    ASSERT_TRUE(run.signalWhen(
        SIGTERM, [&] { return fs::exists(dir() + "result.txt"); }, 15s))
        << "the check at start-up wrote no result";
    const ChildResult ran = run.wait(15s);
    EXPECT_EQ(ran.exitCode, 0) << ran.err;
    EXPECT_THAT(ran.out, HasSubstr("\"files\": 120, \"dirs\": 120"));
}

// One look at the update page: the settings name it, --url overrides them, a missing page
// fails.
TEST(CliUpdateCheck, AnnouncesANewerVersionAndFailsWithoutAPage) {
    TempDir site, program;
    writeRaw(site.path() + "cfg.html",
             "last_version=9.0.0.0\r\nurl_site_downloand=http://q/get\r\n");
    HttpServer server(site.path());
    writeRaw(program.path() + "quarrow.ini",
             "[Update]\r\nUpdateUrl=" + server.url("/cfg.html") + "\r\n");
    const ChildResult found = runCliIn(program.path(), {"update-check"});
    EXPECT_EQ(found.exitCode, 0) << found.err;
    EXPECT_EQ(found.out, "{\"own\": \"" + OwnVersionText(QUARROW_VERSION) +
                             "\", \"announced\": \"9.0.0.0\", \"update\": true, "
                             "\"url\": \"http://q/get\"}\n");

    const ChildResult missing =
        runCliIn(program.path(), {"update-check", "--url", server.url("/none.html")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_THAT(missing.out, HasSubstr("\"update\": false"));
}

}  // namespace
}  // namespace quarrow::test
