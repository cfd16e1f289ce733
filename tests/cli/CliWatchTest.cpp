#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <memory>

#include "cli/ChildProcess.h"
#include "fixtures/FtpServer.h"
#include "fixtures/TempDir.h"
#include "platform/FileSystem.h"

namespace quarrow::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A program folder with the language files, a served tree, and quarrow-cli's watch commands.
class CliWatchTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir() + "TXT");
        for (const char* name : {"Engl.lng", "Ru.lng"})
            fs::copy_file(std::string(QUARROW_DATA_DIR "/TXT/") + name, dir() + "TXT/" + name);
    }

    void serve(const std::vector<TreeItem>& tree, const FtpServerOptions& options = {}) {
        makeTree(tree_.path(), tree);
        server_ = std::make_unique<FtpServer>(tree_.path(), options);
    }
    std::string dir() const { return program_.path(); }
    std::string entry(const std::string& more = "") const {
        return "[server=127.0.0.1][port=" + std::to_string(server_ ? server_->port() : 1) +
               "][path=/][mask=*.MP3][subfolders][savename=" + dir() + "result]" + more;
    }
    std::vector<std::string> args(std::vector<std::string> rest) const {
        rest.insert(rest.begin(), {QUARROW_CLI_PATH, "--program-dir", dir(), "watch"});
        return rest;
    }
    ChildResult watch(std::vector<std::string> rest) {
        ChildResult result = runChild(args(std::move(rest)));
        EXPECT_FALSE(result.timedOut) << result.err;
        EXPECT_EQ(result.termSignal, 0) << result.err;
        return result;
    }

    TempDir program_;
    TempDir tree_;
    std::unique_ptr<FtpServer> server_;
};

TEST_F(CliWatchTest, AddListCheckAndRemoveAnEntry) {
    serve({{"a/new.mp3", "12345"}, {"a/b/deep.mp3", "x"}, {"skip.txt", "x"}});
    const ChildResult added = watch({"add", entry("[days=2]")});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(watch({"add", entry("[days=2]")}).exitCode, 1) << "a duplicate was added";
    EXPECT_EQ(watch({"add", "[server=127.0.0.1][path=/x][password=x|user=y]"}).exitCode, 2);
    EXPECT_EQ(fs::status(dir() + "Spy/Spy.ini").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    const ChildResult listed = watch({"list"});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out, "0\t[ ]\t127.0.0.1/   *.MP3   60 min\tInterval: 60 min\n");

    const ChildResult checked = watch({"check", "0"});
    ASSERT_EQ(checked.exitCode, 0) << checked.err;
    EXPECT_NE(checked.out.find("\"entry\": 0"), std::string::npos) << checked.out;
    EXPECT_NE(checked.out.find("\"files\": 2, \"dirs\": 2"), std::string::npos) << checked.out;
    EXPECT_NE(checked.out.find("{\"line\": \"new.mp3\", \"url\": \"ftp://127.0.0.1/a/new.mp3\", "
                               "\"size\": \"5 bytes\", \"bytes\": 5"),
              std::string::npos)
        << checked.out;
    std::string result;
    ASSERT_TRUE(readWholeFile(dir() + "result.txt", result));
    EXPECT_NE(result.find("ftp://127.0.0.1/a/b/deep.mp3\r\n"), std::string::npos) << result;

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
    ASSERT_TRUE(writeFileAtomic(dir() + "Spy/Spy.ini", dir() + "Spy/new", spy));
    const ChildResult listed = watch({"list"});
    EXPECT_EQ(listed.exitCode, 1);
    EXPECT_NE(listed.err.find("Spy.ini"), std::string::npos) << listed.err;
    EXPECT_EQ(watch({"add", "[server=other]"}).exitCode, 1);
    std::string after;
    ASSERT_TRUE(readWholeFile(dir() + "Spy/Spy.ini", after));
    EXPECT_EQ(after, spy) << "a list that did not load was rewritten";
}

// Ctrl+C stops a running check, which still writes what it found; "run" checks an entry
// marked for start-up at once and ends cleanly on SIGTERM.
TEST_F(CliWatchTest, SignalsStopChecksKeepingTheirResults) {
    std::vector<TreeItem> tree;
    for (int i = 0; i < 15; ++i) tree.push_back({"d" + std::to_string(10 + i) + "/f.mp3", "x"});
    FtpServerOptions slow;
    slow.listDelaySeconds = 0.2;
    serve(tree, slow);
    ASSERT_EQ(watch({"add", entry("[savetype=2][startup]")}).exitCode, 0);

    ChildProcess check(args({"check"}));
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(check.signalWhen(
        SIGINT, [&] { return std::chrono::steady_clock::now() - started > 800ms; }, 5s));
    const ChildResult stopped = check.wait(15s);
    EXPECT_EQ(stopped.exitCode, 130) << stopped.err;
    EXPECT_NE(stopped.out.find("\"entry\": 0"), std::string::npos) << stopped.out;
    EXPECT_TRUE(fs::exists(dir() + "result.txt"));

    fs::remove(dir() + "result.txt");
    ChildProcess run(args({"run"}));
    ASSERT_TRUE(run.signalWhen(
        SIGTERM, [&] { return fs::exists(dir() + "result.txt"); }, 15s))
        << "the check at start-up wrote no result";
    const ChildResult ran = run.wait(15s);
    EXPECT_EQ(ran.exitCode, 0) << ran.err;
    EXPECT_NE(ran.out.find("\"files\": 15, \"dirs\": 15"), std::string::npos) << ran.out;
}

}  // namespace
}  // namespace quarrow::test
