// Several listings in flight on a slow server: the same snapshot and resume file as the walk
// that lists one folder at a time, and a stop at any moment resumes to the same files.
#include <csignal>
#include <filesystem>
#include <set>

#include <gmock/gmock.h>

#include "cli/ChildProcess.h"
#include "engine/TestHelpers.h"
#include "fixtures/FtpProxy.h"
#include "platform/FolderPrefetch.h"

namespace quarrow::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class InFlightWalkTest : public testing::Test {
protected:
    void SetUp() override {
        // Case duplicates, an ignored folder, empty folders, a deep chain and wide levels.
        std::vector<TreeItem> tree = {
            {"Pub/a.mp3", "1"}, {"PUB/b.mp3", "2"}, {"pub/c.mp3", "3"},    {"private/no.mp3", "4"},
            {"empty/", ""},     {"wide/e1/", ""},   {"wide/e2/x.txt", "5"}};
        std::string chain = "deep";
        for (int level = 0; level < 12; ++level, chain += "/d" + std::to_string(level))
            tree.push_back({chain + "/f" + std::to_string(level) + ".mp3", "x"});
        for (int i = 0; i < 30; ++i)
            tree.push_back(
                {"wide/w" + std::to_string(i) + "/s/t" + std::to_string(i) + ".mp3", "y"});
        makeTree(tree_.path(), tree);
        server_ = std::make_unique<FtpServer>(tree_.path(), slowListings(0.05));
    }

    // A program folder that lists `listings` folders at once and ignores "priv".
    std::string program(int listings, const std::string& name = "") {
        const std::string dir = programs_.path() + std::to_string(listings) + name + "/";
        fs::create_directories(dir + "TXT");
        writeRaw(dir + "TXT/Ignore.txt", "priv\r\n");
        writeRaw(dir + "quarrow.ini", "[Connection]\r\nTimeout=2\r\nParallelListings=" +
                                          std::to_string(listings) + "\r\n");
        return dir;
    }
    std::vector<std::string> scanArgs(const std::string& dir, int port = 0) const {
        return {QUARROW_CLI_PATH, "--program-dir", dir, "scan",
                loopback(port ? port : server_->port()) + "[mask=*.mp3]"};
    }
    // `dump` without the moment the file was made.
    static Lines dumped(const std::string& file) {
        Lines lines;
        for (std::string& line : splitLines(runChild({QUARROW_CLI_PATH, "dump", file}).out))
            if (!line.starts_with("H\tCreated:")) lines.push_back(std::move(line));
        return lines;
    }

    TempDir tree_;
    TempDir programs_;
    std::unique_ptr<FtpServer> server_;
};

TEST_F(InFlightWalkTest, GivesTheFilesOfTheOneAtATimeWalk) {
    const std::string one = program(1), many = program(8);
    ASSERT_EQ(runChild(scanArgs(one)).exitCode, 0);
    const ChildResult scan = runChild(scanArgs(many));
    ASSERT_EQ(scan.exitCode, 0) << scan.err;
    EXPECT_EQ(dumped(todaysSnapshot(many)), dumped(todaysSnapshot(one)));
    EXPECT_EQ(dumped(todaysResumeFile(many)), dumped(todaysResumeFile(one)));
    EXPECT_THAT(dumped(todaysSnapshot(one)),
                testing::Contains("F\t/deep/d1/d2/d3/d4/d5/d6/d7/d8/d9/"
                                  "d10/d11/\tf11.mp3"));

    // A server that takes three connections from an address and turns the rest away, one whose
    // first four connections (the walk's among them) drop in the middle of the walk, and one
    // that loses commands sent together.
    FtpProxyOptions limited, cut, deaf;
    limited.maxConnections = 3;
    cut.closeAfter = 9;
    cut.faultyConnections = 4;
    deaf.oneCommandPerRead = true;
    const FtpProxy limitedServer(server_->port(), limited), cutServer(server_->port(), cut),
        deafServer(server_->port(), deaf);
    for (const FtpProxy* server : {&limitedServer, &cutServer, &deafServer}) {
        const std::string dir = program(8, std::to_string(server->port()));
        const ChildResult proxied = runChild(scanArgs(dir, server->port()));
        ASSERT_EQ(proxied.exitCode, 0) << proxied.err;
        EXPECT_EQ(dumped(todaysSnapshot(dir)), dumped(todaysSnapshot(one)));
    }
}

// Stopped at moments spread over the walk: what the resume file continues comes to the files
// of a walk never stopped.
TEST_F(InFlightWalkTest, AStopAtAnyMomentResumesToTheSameFiles) {
    const std::string whole = program(1);
    ASSERT_EQ(runChild(scanArgs(whole)).exitCode, 0);
    Lines expected;
    for (const std::string& line : dumped(todaysSnapshot(whole)))
        if (line.starts_with("F\t")) expected.push_back(line);
    for (const auto moment : {150ms, 400ms, 700ms}) {
        SCOPED_TRACE(moment.count());
        const std::string dir = program(8);
        fs::remove_all(dir + "Arhive");
        fs::remove_all(dir + "Session");
        ChildProcess scan(scanArgs(dir));
        const auto started = std::chrono::steady_clock::now();
        const bool stopped = scan.signalWhen(
            SIGINT,
            [&] {
                return std::chrono::steady_clock::now() - started > moment &&
                       fs::exists(todaysResumeFile(dir));
            },
            10s);
        const ChildResult ended = scan.wait();
        if (!stopped) continue;  // the walk was over first: nothing to resume
        ASSERT_EQ(ended.exitCode, 130) << ended.err;
        const std::string resumed = dir + "resumed.qrnet";
        ASSERT_EQ(runCliIn(dir, {"resume", todaysResumeFile(dir), resumed}).exitCode, 0);
        std::set<std::string> files;
        for (const std::string& line : dumped(resumed))
            if (line.starts_with("F\t")) files.insert(line);
        // The folder under way at the stop is listed again, so its files may come twice.
        EXPECT_THAT(files, testing::UnorderedElementsAreArray(expected));
    }
}

// Extra connections that fail in the middle of a listing (at each one's first folder's STAT,
// the twelfth command: after the login, entering the folder and the check of STAT), dropped or
// left unanswered and not brought back, hand those folders back for the walk to list itself:
// such a failure says nothing about the folder and is never taken for its listing.
TEST(FolderPrefetchTest, FoldersOfFailedConnectionsAreHandedBack) {
    TempDir tree;
    makeTree(tree.path(), {{"a/1.mp3", "1"}, {"b/2.mp3", "2"}, {"c/3.mp3", "3"}});
    const FtpServer server(tree.path());
    for (int FtpProxyOptions::*fault :
         {&FtpProxyOptions::closeAfter, &FtpProxyOptions::silentAfter}) {
        FtpProxyOptions options;
        options.*fault = 12;
        options.log = tree.path() + "commands.log";
        fs::remove(options.log);
        const FtpProxy proxy(server.port(), options);
        PrefetchLogin login{"test", "127.0.0.1", proxy.port(), "", "", {}, {}, {}, {}};
        login.options.reconnect.attempts = 0;
        login.options.timeouts.responseSeconds = 1;
        FolderPrefetch prefetch(login, 3);
        const std::vector<std::string> folders = {"/a/", "/b/", "/c/"};
        prefetch.want(folders);
        const auto started = [&] {
            const auto log = proxy.commands();
            return std::all_of(folders.begin(), folders.end(), [&](const std::string& folder) {
                return std::find(log.begin(), log.end(), "STAT " + folder) != log.end();
            });
        };
        ASSERT_TRUE(waitUntil(started, 10s));
        for (const std::string& folder : folders)
            EXPECT_FALSE(prefetch.take(folder, [] { return false; })) << folder;
    }
}

}  // namespace
}  // namespace quarrow::test
