#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <memory>
#include <sstream>

#include "cli/ChildProcess.h"
#include "engine/StartupRules.h"
#include "fixtures/FtpProxy.h"
#include "fixtures/FtpServer.h"
#include "fixtures/HttpServer.h"
#include "fixtures/TempDir.h"
#include "platform/DateTimeText.h"
#include "platform/FileSystem.h"
#include "platform/TextLines.h"

namespace quarrow::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

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

Lines sorted(Lines lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

void writeFile(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(writeFileAtomic(path, path + ".new", bytes)) << path;
}

// Runs quarrow-cli; a hang, a crash or a sanitizer report fails the test whatever it checks.
ChildResult cli(std::vector<std::string> args) {
    args.insert(args.begin(), QUARROW_CLI_PATH);
    ChildResult result = runChild(args);
    EXPECT_FALSE(result.timedOut) << "quarrow-cli hung; stderr:\n" << result.err;
    EXPECT_EQ(result.termSignal, 0) << result.err;
    EXPECT_EQ(result.err.find("Sanitizer"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("runtime error:"), std::string::npos) << result.err;
    return result;
}

// The lines of `dump FILE` with `tag`, tag removed; an "F" line becomes folder + name.
Lines dumpTagged(const std::string& file, const std::string& tag) {
    const ChildResult dump = cli({"dump", file});
    EXPECT_EQ(dump.exitCode, 0) << file << ": " << dump.err;
    Lines found;
    std::istringstream stream(dump.out);
    for (std::string line; std::getline(stream, line);) {
        if (!line.starts_with(tag + "\t")) continue;
        line.erase(0, tag.size() + 1);
        if (tag == "F") line.erase(line.find('\t'), 1);
        found.push_back(line);
    }
    return found;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(CliUsage, HelpSucceedsAndMalformedCommandLinesExitWithUsageCode) {
    EXPECT_EQ(cli({"--help"}).exitCode, 0);
    const std::vector<Lines> commandLines = {
        {},
        {"frobnicate"},
        {"--program-dir"},
        {"scan"},
        {"scan", "[server=a]", "[server=b]"},
        {"dump"},
        {"dump", "a.qrnet", "b.qrnet"},
        {"resume", "only.qrsftp"},
    };
    for (const auto& args : commandLines) {
        const ChildResult run = cli(args);
        EXPECT_EQ(run.exitCode, 2) << testing::PrintToString(args);
        EXPECT_TRUE(contains(run.err, "--help")) << run.err;
    }
}

// A program folder with the language files, and a tree served by a real FTP server.
class CliScanTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir() + "TXT");
        for (const auto& entry : fs::directory_iterator(QUARROW_DATA_DIR "/TXT"))
            if (entry.path().extension() == ".lng")
                fs::copy_file(entry.path(), dir() + "TXT/" + entry.path().filename().string());
    }

    void serve(const std::vector<TreeItem>& tree, const FtpServerOptions& options = {}) {
        makeTree(tree_.path(), tree);
        server_ = std::make_unique<FtpServer>(tree_.path(), options);
    }
    std::string dir() const { return program_.path(); }
    std::string port() const { return std::to_string(server_ ? server_->port() : 1); }
    std::string target() const { return "[server=127.0.0.1][port=" + port() + "][mask=*.mp3]"; }
    // Files are stamped with the local date, dd.mm.yyyy.
    std::string snapshot() const {
        return dir() + "Arhive/127.0.0.1_" + formatDate(std::time(nullptr)) + ".qrnet";
    }
    std::string resumeFile() const {
        const std::string today = formatDate(std::time(nullptr));
        return dir() + "Session/127.0.0.1_" + today + "_127.0.0.1_" + today + ".qrsftp";
    }
    Lines scanArgs(const std::string& description) const {
        return {"--program-dir", dir(), "scan", description};
    }
    // A watch entry for the server (port 1, where nothing listens, before `serve`).
    std::string entry(const std::string& more = "") const {
        return "[server=127.0.0.1][port=" + port() +
               "][path=/][mask=*.MP3][subfolders][savename=" + dir() + "result]" + more;
    }
    Lines watchArgs(Lines rest) const {
        rest.insert(rest.begin(), {QUARROW_CLI_PATH, "--program-dir", dir(), "watch"});
        return rest;
    }
    ChildResult watch(Lines rest) {
        rest.insert(rest.begin(), {"--program-dir", dir(), "watch"});
        return cli(rest);
    }

    TempDir program_;
    TempDir tree_;
    std::unique_ptr<FtpServer> server_;
};
using CliWatchTest = CliScanTest;

TEST_F(CliScanTest, WritesSnapshotAndResumeFileThatDumpReadsBackWhole) {
    serve(kTree);
    const ChildResult scan = cli(scanArgs(target()));
    ASSERT_EQ(scan.exitCode, 0) << scan.err;
    ASSERT_EQ(std::count(scan.out.begin(), scan.out.end(), '\n'), 1) << scan.out;
    EXPECT_TRUE(scan.out.starts_with("job 1: ftp://127.0.0.1/")) << scan.out;
    EXPECT_TRUE(contains(scan.out, "files: 5")) << scan.out;
    EXPECT_FALSE(contains(scan.out, "not walked")) << scan.out;
    EXPECT_EQ(
        sorted(dumpTagged(snapshot(), "F")),
        sorted({"/a/b/two.MP3", "/a/one.mp3", "/c/three.mp3", "/top.mp3", "/Музыка/song.mp3"}));
    EXPECT_EQ(sorted(dumpTagged(resumeFile(), "Q")),
              sorted({"/", "/a/", "/a/b/", "/c/", "/Музыка/"}));
}

TEST_F(CliScanTest, LoadFileRunsEachLineAsOneScanNumberedFromOne) {
    serve(kTree);
    const std::string loadFile = dir() + "servers.txt";
    writeFile(loadFile, "[server=127.0.0.1][port=" + port() + "][path=/a][mask=*.mp3]\r\n" +
                            "[path=/c][mask=*.mp3]\r\n" + "[server=127.0.0.1][port=" + port() +
                            "][path=c][mask=*.mp3][savefilename=" + dir() +
                            "Arhive/c_%date%.qrnet]\r\n");
    const ChildResult scan = cli(scanArgs("[loadfile=" + loadFile + "]"));
    ASSERT_EQ(scan.exitCode, 0) << scan.err;
    std::istringstream stream(scan.out);
    Lines summary;
    for (std::string line; std::getline(stream, line);) summary.push_back(line);
    summary = sorted(summary);
    ASSERT_EQ(summary.size(), 2u) << scan.out;
    EXPECT_TRUE(summary[0].starts_with("job 1: ftp://127.0.0.1/a/")) << summary[0];
    EXPECT_TRUE(summary[1].starts_with("job 3: ftp://127.0.0.1/c/")) << summary[1];
    EXPECT_EQ(sorted(dumpTagged(snapshot(), "F")), sorted({"/a/b/two.MP3", "/a/one.mp3"}));
    EXPECT_EQ(dumpTagged(dir() + "Arhive/c_" + formatDate(std::time(nullptr)) + ".qrnet", "F"),
              Lines{"/c/three.mp3"});
}

TEST_F(CliScanTest, BadDescriptionsExitWithUsageCodeAndSayWhy) {
    const std::pair<std::string, std::string> cases[] = {
        {"[server=127.0.0.1][port=abc]", "abc"},
        {"[path=/pub][mask=*.mp3]", "server"},
        {"[loadfile=" + dir() + "no-such-list.txt]", "no-such-list.txt"},
    };
    for (const auto& [description, named] : cases) {
        const ChildResult scan = cli(scanArgs(description));
        EXPECT_EQ(scan.exitCode, 2) << description;
        EXPECT_TRUE(contains(scan.err, named)) << description << ": " << scan.err;
        EXPECT_TRUE(scan.out.empty()) << description << ": " << scan.out;
    }
}

TEST_F(CliScanTest, IgnoreListSkipsFoldersAndCommentGoesIntoTheHeader) {
    serve({{"Private/secret.mp3", "x"},
           {"privy.mp3", "x"},
           {"public/song.mp3", "x"},
           {"deep/PRIVATE stuff/hidden.mp3", "x"},
           {"deep/ok.mp3", "x"}});
    writeFile(dir() + "TXT/Ignore.txt", "priv\r\n");
    writeFile(dir() + "TXT/Coment.txt",
              "Mirror kept by the tests\r\n\xC7\xE5\xF0\xEA\xE0\xEB\xEE\r\n");
    ASSERT_EQ(cli(scanArgs(target())).exitCode, 0);
    // Folders only: a file whose name starts with an ignored prefix is still listed.
    EXPECT_EQ(sorted(dumpTagged(snapshot(), "F")),
              sorted({"/privy.mp3", "/public/song.mp3", "/deep/ok.mp3"}));
    const Lines header = dumpTagged(snapshot(), "H");
    const Lines comment = {"Mirror kept by the tests", "Зеркало"};
    EXPECT_NE(std::search(header.begin(), header.end(), comment.begin(), comment.end()),
              header.end())
        << testing::PrintToString(header);
}

// Each failure exits 1 and names what went wrong; only what happened is claimed.
TEST_F(CliScanTest, FailuresExitWithOneAndSayWhatWasLost) {
    serve(kTree);
    writeFile(dir() + "blocker", "a regular file where a folder is needed");
    const struct {
        std::string description;
        Lines said;           // each found on stdout or stderr
        const char* notSaid;  // on stdout
        bool blockSession;
    } cases[] = {
        {"[server=127.0.0.1][port=1]", {"not walked", "no snapshot"}, "snapshot: ", false},
        {"[server=127.0.0.1][port=70000]", {"not walked", "no snapshot"}, "snapshot: ", false},
        {target() + "[savefilename=" + dir() + "blocker/sub/snap.qrnet]",
         {"job 1: error: ", "files: 5"},
         "not walked",
         false},
        {target(),
         {"stale resume file: " + resumeFile(), "snapshot: " + snapshot()},
         "not walked",
         true},
    };
    for (const auto& c : cases) {
        if (c.blockSession) {
            fs::remove_all(dir() + "Session");
            writeFile(dir() + "Session", "a regular file where the folder should be");
        }
        const ChildResult scan = cli(scanArgs(c.description));
        EXPECT_EQ(scan.exitCode, 1) << c.description << scan.out << scan.err;
        for (const std::string& text : c.said)
            EXPECT_TRUE(contains(scan.out + scan.err, text)) << text << "\n"
                                                             << scan.out << scan.err;
        EXPECT_FALSE(contains(scan.out, c.notSaid)) << scan.out;
    }
}

// A slow server over a dozen folders, interrupted by SIGINT as soon as the first resume file
// has been written; the resume command then finishes the scan.
TEST_F(CliScanTest, SigintLeavesCompleteFilesThatResumeFinishes) {
    std::vector<TreeItem> tree = {{"dir03/inner/deep.mp3", "x"}};
    Lines allMp3 = {"/dir03/inner/deep.mp3"};
    for (int i = 0; i < 10; ++i) {
        const std::string n = "0" + std::to_string(i);
        tree.push_back({"dir" + n + "/f" + n + ".mp3", "x"});
        tree.push_back({"dir" + n + "/f" + n + ".txt", "x"});
        allMp3.push_back("/dir" + n + "/f" + n + ".mp3");
    }
    FtpServerOptions slow;
    slow.listDelaySeconds = 0.3;
    serve(tree, slow);
    Lines args = scanArgs(target());
    args.insert(args.begin(), QUARROW_CLI_PATH);
    ChildProcess child(args);
    ASSERT_TRUE(child.signalWhen(
        SIGINT, [&] { return fs::exists(resumeFile()); }, 15s))
        << "the scan ended or wrote no resume file in time";
    const ChildResult interrupted = child.wait(10s);
    ASSERT_FALSE(interrupted.timedOut) << "no exit after SIGINT; stderr:\n" << interrupted.err;
    ASSERT_EQ(interrupted.exitCode, 130) << interrupted.err;

    for (const auto& file : dumpTagged(snapshot(), "F"))
        EXPECT_NE(std::find(allMp3.begin(), allMp3.end(), file), allMp3.end()) << file;
    EXPECT_FALSE(dumpTagged(resumeFile(), "Q").empty());
    for (const char* folder : {"Arhive", "Session"})
        for (const auto& entry : fs::directory_iterator(dir() + folder))
            EXPECT_FALSE(entry.path().string().ends_with("tmp")) << entry.path();

    const std::string resumed = dir() + "Arhive/resumed.qrnet";
    const ChildResult resume = cli({"--program-dir", dir(), "resume", resumeFile(), resumed});
    ASSERT_EQ(resume.exitCode, 0) << resume.err;
    // The folder being listed when the scan stopped is listed again, so it may appear twice.
    auto found = sorted(dumpTagged(resumed, "F"));
    EXPECT_GE(found.size(), allMp3.size());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    EXPECT_EQ(found, sorted(allMp3));
}

// What the exit code and the summary claim on networks that misbehave: only what happened.
TEST_F(CliScanTest, ExitCodeAndSummaryClaimOnlyWhatHappened) {
    serve(kTree);
    writeFile(dir() + "quarrow.ini", "[Connection]\r\nReconnects=2\r\nReconnectPause=10\r\n");
    FtpProxyOptions nat, dying;
    nat.dropActive = true;
    dying.closeAfter = 12;
    dying.maxConnections = 1;
    const struct {
        const char* name;
        FtpProxyOptions fault;
        std::string keywords;
        int exitCode;
        Lines said;  // each found on stdout or stderr
    } cases[] = {
        {"behind NAT", nat, "", 0, {"passive mode", "snapshot: " + dir() + "Arhive/"}},
        {"passive asked for", nat, "[passive]", 0, {"snapshot: "}},
        {"server gone for good",
         dying,
         "",
         1,
         {"interrupted, incomplete (", "resume: " + dir() + "Session/", "scan is interrupted"}},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.name);
        TempDir logs;
        c.fault.log = logs.path() + "commands.log";
        FtpProxy proxy(server_->port(), c.fault);
        const std::string name = dir() + "Arhive/" + std::to_string(proxy.port()) + ".qrnet";
        const ChildResult scan =
            cli(scanArgs("[server=127.0.0.1][port=" + std::to_string(proxy.port()) +
                         "][savefilename=" + name + "]" + c.keywords));
        EXPECT_EQ(scan.exitCode, c.exitCode) << scan.out << scan.err;
        for (const std::string& text : c.said)
            EXPECT_TRUE(contains(scan.out + scan.err, text)) << text << "\n"
                                                             << scan.out << scan.err;
        if (c.exitCode == 0) {
            EXPECT_EQ(dumpTagged(name, "F").size(), 7u);
        }
        for (const std::string& command : proxy.commands())  // "[passive]" never goes active
            EXPECT_TRUE(c.keywords.empty() ||
                        !(command.starts_with("EPRT") || command.starts_with("PORT")))
                << command;
    }
}

TEST_F(CliScanTest, AProgramFolderWithoutLanguageFilesUsesTheToolsOwn) {
    serve(kTree);
    fs::remove_all(dir() + "TXT");
    const ChildResult scan = cli(scanArgs(target()));
    ASSERT_EQ(scan.exitCode, 0) << scan.err;
    EXPECT_TRUE(contains(scan.err, "holds no language file")) << scan.err;
    // The header's first line tells every reader this is a snapshot of an FTP server.
    EXPECT_TRUE(contains(dumpTagged(snapshot(), "H").at(0), "ftp"));
    EXPECT_EQ(dumpTagged(snapshot(), "F").size(), 5u);
}

TEST_F(CliWatchTest, AddListCheckAndRemoveAnEntry) {
    serve({{"a/new.mp3", "12345"}, {"a/b/deep.mp3", "x"}, {"skip.txt", "x"}});
    ASSERT_EQ(watch({"add", entry("[days=2]")}).exitCode, 0);
    EXPECT_EQ(watch({"add", entry("[days=2]")}).exitCode, 1) << "a duplicate was added";
    EXPECT_EQ(watch({"add", "[server=127.0.0.1][path=/x][password=x|user=y]"}).exitCode, 2);
    EXPECT_EQ(fs::status(dir() + "Spy/Spy.ini").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    const ChildResult listed = watch({"list"});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out, "0\t[ ]\t127.0.0.1/   *.MP3   60 min\tInterval: 60 min\n");

    const ChildResult checked = watch({"check", "0"});
    ASSERT_EQ(checked.exitCode, 0) << checked.err;
    for (const char* part : {"\"entry\": 0", "\"files\": 2, \"dirs\": 2",
                             "{\"line\": \"new.mp3\", \"url\": \"ftp://127.0.0.1/a/new.mp3\", "
                             "\"size\": \"5 bytes\", \"bytes\": 5"})
        EXPECT_TRUE(contains(checked.out, part)) << part << "\n" << checked.out;
    std::string result;
    ASSERT_TRUE(readWholeFile(dir() + "result.txt", result));
    EXPECT_TRUE(contains(result, "ftp://127.0.0.1/a/b/deep.mp3\r\n")) << result;

    EXPECT_EQ(watch({"remove", "0"}).exitCode, 0);
    EXPECT_TRUE(watch({"list"}).out.empty());
    EXPECT_EQ(watch({"check", "0"}).exitCode, 2);
}

TEST_F(CliWatchTest, UnreachableServerAndDamagedListFail) {
    ASSERT_EQ(watch({"add", entry()}).exitCode, 0);
    EXPECT_EQ(watch({"check"}).exitCode, 1);

    std::string spy;
    ASSERT_TRUE(readWholeFile(dir() + "Spy/Spy.ini", spy));
    const auto at = spy.find("|port=1|");
    ASSERT_NE(at, std::string::npos) << spy;
    spy.replace(at, 8, "|port=x|");
    writeFile(dir() + "Spy/Spy.ini", spy);
    const ChildResult listed = watch({"list"});
    EXPECT_EQ(listed.exitCode, 1);
    EXPECT_TRUE(contains(listed.err, "Spy.ini")) << listed.err;
    EXPECT_EQ(watch({"add", "[server=other]"}).exitCode, 1);
    std::string after;
    ASSERT_TRUE(readWholeFile(dir() + "Spy/Spy.ini", after));
    EXPECT_EQ(after, spy) << "a list that did not load was rewritten";
}

// Ctrl+C stops a running check, which still writes what it found; "run" checks an entry
// marked for start-up at once and ends cleanly on SIGTERM.
TEST_F(CliWatchTest, SignalsStopChecksKeepingTheirResults) {
    std::vector<TreeItem> tree;
    for (int i = 0; i < 120; ++i) tree.push_back({"d" + std::to_string(100 + i) + "/f.mp3", "x"});
    FtpServerOptions slow;
    slow.listDelaySeconds = 0.2;
    serve(tree, slow);
    ASSERT_EQ(watch({"add", entry("[savetype=2][startup]")}).exitCode, 0);

    ChildProcess check(watchArgs({"check"}));
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(check.signalWhen(
        SIGINT, [&] { return std::chrono::steady_clock::now() - started > 800ms; }, 5s));
    const ChildResult stopped = check.wait(15s);
    EXPECT_EQ(stopped.exitCode, 130) << stopped.err;
    EXPECT_TRUE(contains(stopped.out, "\"entry\": 0")) << stopped.out;
    EXPECT_TRUE(fs::exists(dir() + "result.txt"));

    fs::remove(dir() + "result.txt");
    ChildProcess run(watchArgs({"run"}));
    ASSERT_TRUE(run.signalWhen(
        SIGTERM, [&] { return fs::exists(dir() + "result.txt"); }, 15s))
        << "the check at start-up wrote no result";
    const ChildResult ran = run.wait(15s);
    EXPECT_EQ(ran.exitCode, 0) << ran.err;
    EXPECT_TRUE(contains(ran.out, "\"files\": 120, \"dirs\": 120")) << ran.out;
}

// Files fetched with a watch entry's login, one JSON line each; one missing makes exit 1.
TEST_F(CliWatchTest, DownloadFetchesFilesWithTheEntrysLogin) {
    serve({{"a/new.mp3", "12345"}, {"top.mp3", "t"}});
    ASSERT_EQ(watch({"add", entry()}).exitCode, 0);
    const ChildResult got =
        cli({"--program-dir", dir(), "download", "0", "/a/new.mp3", "/gone.mp3", "/top.mp3"});
    EXPECT_EQ(got.exitCode, 1) << got.err;
    const Lines lines = splitLines(got.out);
    ASSERT_EQ(lines.size(), 3u) << got.out;
    EXPECT_TRUE(contains(lines[0], "\"path\": \"/a/new.mp3\", \"local\": \"" + dir() +
                                       "Downloads/new.mp3\", \"bytes\": 5"))
        << lines[0];
    EXPECT_TRUE(contains(lines[0], "\"ok\": true"));
    EXPECT_TRUE(contains(lines[1], "Cannot files gone.mp3.") &&
                contains(lines[1], "\"ok\": false"));
    EXPECT_TRUE(contains(lines[2], "\"ok\": true"));
    std::string bytes;
    ASSERT_TRUE(readWholeFile(dir() + "Downloads/new.mp3", bytes));
    EXPECT_EQ(bytes, "12345");
    EXPECT_EQ(cli({"--program-dir", dir(), "download", "0", "relative.mp3"}).exitCode, 2);
    EXPECT_EQ(cli({"--program-dir", dir(), "download", "7", "/top.mp3"}).exitCode, 2);
}

// One look at the update page: the settings name it, --url overrides them, a missing page
// fails.
TEST(CliUpdateCheck, AnnouncesANewerVersionAndFailsWithoutAPage) {
    TempDir site, program;
    writeFile(site.path() + "cfg.html",
              "last_version=9.0.0.0\r\nurl_site_downloand=http://q/get\r\n");
    HttpServer server(site.path());
    writeFile(program.path() + "quarrow.ini",
              "[Update]\r\nUpdateUrl=" + server.url("/cfg.html") + "\r\n");
    const ChildResult found = cli({"--program-dir", program.path(), "update-check"});
    EXPECT_EQ(found.exitCode, 0) << found.err;
    EXPECT_EQ(found.out, "{\"own\": \"" + OwnVersionText(QUARROW_VERSION) +
                             "\", \"announced\": \"9.0.0.0\", \"update\": true, "
                             "\"url\": \"http://q/get\"}\n");

    const ChildResult missing =
        cli({"--program-dir", program.path(), "update-check", "--url", server.url("/none.html")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(contains(missing.out, "\"update\": false")) << missing.out;
    EXPECT_EQ(cli({"update-check", "--url"}).exitCode, 2);
}

}  // namespace
}  // namespace quarrow::test
