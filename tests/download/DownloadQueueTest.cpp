#include <gmock/gmock.h>
#include <unistd.h>

#include "download/DownloadQueue.h"
#include "engine/EngineContext.h"
#include "engine/TestHelpers.h"
#include "fixtures/FtpProxy.h"

namespace quarrow::test {
namespace {

using namespace std::chrono_literals;

const std::string kFileOf = " \xF4\xE0\xE9\xEB \xE8\xE7 ";            // " файл из "
const std::string kLoaded = "\xC7\xE0\xE3\xF0\xF3\xE6\xE5\xED\xEE ";  // "Загружено "

// A server over a small tree, each listing taking a moment so that a poll sees every file's
// counter line, a download folder and a queue over the engine's workers.
class DownloadQueueTest : public ::testing::Test {
protected:
    DownloadQueueTest() : engine(local.path()) {
        makeTree(tree.path(), {{"a/one.mp3", "first file"},
                               {"a/two.mp3", std::string(200000, 't')},
                               {"root.mp3", "at the top"},
                               {"a.mp3dir/a.mp3", "in a folder named like it"},
                               {"odd\\name.mp3", "x"}});
        engine.SessionOptions.reconnect = {1, 10};
        queue.setTexts(LoadDownloadTexts(QUARROW_DATA_DIR "/TXT/Ru.lng"));
    }

    void enqueue(const std::string& fullName, int port = 0) {
        TFtpMain entry;
        entry.Server = "127.0.0.1";
        entry.Port = port ? port : server.port();
        entry.UserName = "anonymous";
        queue.EnqueueDownload(DownloadRequest(entry, local.path(), fullName));
    }
    // Polls as the window's Timer1 would; false when the queue is still busy after 20 s.
    bool finish(Lines* labels = nullptr) {
        for (int i = 0; i < 2000; ++i) {
            bool again = false;
            const std::string label = queue.Timer1Timer(&again).label;
            if (labels && (labels->empty() || labels->back() != label)) labels->push_back(label);
            if (queue.idle()) return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
    std::string contents(const char* name) const {
        return bytesOf(local.path() + name).value_or("<missing>");
    }

    TempDir tree, local;
    FtpServer server{tree.path(), slowListings(0.2)};
    EngineContext engine;
    DownloadQueue queue{engine, nullptr};
};

// Each file starts when the one before ends, the counter line names the file under way, and
// the last line counts only what arrived.
TEST_F(DownloadQueueTest, QueuedFilesArriveInTurnAndAMissingOneIsCountedAsFailed) {
    enqueue("/a/one.mp3");
    enqueue("/a/gone.mp3");
    enqueue("/root.mp3");
    Lines labels;
    ASSERT_TRUE(finish(&labels));
    EXPECT_EQ(contents("one.mp3"), "first file");
    EXPECT_EQ(contents("root.mp3"), "at the top");
    EXPECT_FALSE(fileExists(local.path() + "gone.mp3"));
    const auto outcomes = queue.takeOutcomes();
    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_TRUE(outcomes[0].ok && !outcomes[1].ok && outcomes[2].ok);
    EXPECT_EQ(outcomes[1].status, "Cannot files gone.mp3.");
    EXPECT_EQ(outcomes[2].bytes, 10u);
    EXPECT_TRUE(labels.back().starts_with(kLoaded + "2" + kFileOf + "3")) << labels.back();
    EXPECT_THAT(labels, testing::Contains(testing::EndsWith("3" + kFileOf + "3")))
        << "no counter line of the third file";
}

// A failed download (a full disk, a name that is no plain file name) leaves no part and keeps an
// older file of that name; the next item starts; a folder named like the file is no cut.
TEST_F(DownloadQueueTest, FailuresKeepTheOldFileAndLeaveNoPart) {
    ASSERT_TRUE(writeFileAtomic(local.path() + "two.mp3", local.path() + "t", "old copy"));
    ASSERT_EQ(::symlink("/dev/full", (local.path() + "two.mp3.part").c_str()), 0);
    for (const char* name : {"/a/two.mp3", "/a/..", "/a/", "/odd\\name.mp3", "/a.mp3dir/a.mp3"})
        enqueue(name);
    ASSERT_TRUE(finish());
    EXPECT_EQ(contents("two.mp3"), "old copy");
    EXPECT_FALSE(fileExists(local.path() + "two.mp3.part") ||
                 fileExists(local.path() + "odd\\name.mp3"));
    EXPECT_EQ(contents("a.mp3"), "in a folder named like it");
    std::vector<bool> ok;
    for (const auto& outcome : queue.takeOutcomes()) ok.push_back(outcome.ok);
    EXPECT_EQ(ok, (std::vector<bool>{false, false, false, false, true}));
}

// Abort ends a download blocked on a server that stopped answering; the next request is the
// first of one.
TEST_F(DownloadQueueTest, AbortEndsABlockedDownloadAndTheNextCountsAfresh) {
    FtpProxyOptions silent;
    silent.silentActive = true;
    FtpProxy proxy(server.port(), silent);
    engine.SessionOptions.timeouts.acceptSeconds = 30;
    enqueue("/a/two.mp3", proxy.port());
    enqueue("/a/one.mp3");
    std::this_thread::sleep_for(500ms);
    ASSERT_FALSE(queue.idle());
    queue.Abort();
    EXPECT_EQ(queue.display().label, ".");
    enqueue("/root.mp3");
    Lines labels;
    ASSERT_TRUE(finish(&labels));
    EXPECT_EQ(labels.back(), kLoaded + "1" + kFileOf + "1");
    EXPECT_EQ(contents("root.mp3"), "at the top");
    EXPECT_FALSE(fileExists(local.path() + "one.mp3") || fileExists(local.path() + "two.mp3.part"));
}

}  // namespace
}  // namespace quarrow::test
