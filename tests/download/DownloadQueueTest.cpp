#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "download/DownloadQueue.h"
#include "engine/EngineContext.h"
#include "fixtures/FtpProxy.h"
#include "fixtures/FtpServer.h"
#include "fixtures/TempDir.h"
#include "platform/FileSystem.h"

namespace quarrow::test {
namespace {

using namespace std::chrono_literals;

const std::string kFileOf = " \xF4\xE0\xE9\xEB \xE8\xE7 ";            // " файл из "
const std::string kLoaded = "\xC7\xE0\xE3\xF0\xF3\xE6\xE5\xED\xEE ";  // "Загружено "

std::string contents(const std::string& path) {
    std::string bytes;
    return readWholeFile(path, bytes) ? bytes : "<missing>";
}

FtpServerOptions slowListings() {
    FtpServerOptions options;
    options.listDelaySeconds = 0.2;
    return options;
}

// A server over a small tree, a download folder and a queue over the engine's workers.
class DownloadQueueTest : public ::testing::Test {
protected:
    DownloadQueueTest() : engine(local.path()) {
        makeTree(tree.path(), {{"a/one.mp3", "first file"},
                               {"a/two.mp3", std::string(200000, 't')},
                               {"root.mp3", "at the top"}});
        engine.SessionOptions.reconnect = {1, 10};
        queue.setTexts(LoadDownloadTexts(QUARROW_DATA_DIR "/TXT/Ru.lng"));
    }

    Mrec request(const std::string& fullName, int port) {
        TFtpMain entry;
        entry.Server = "127.0.0.1";
        entry.Port = port;
        entry.UserName = "anonymous";
        return DownloadRequest(entry, local.path(), fullName);
    }
    // Polls as the window's Timer1 would; false when the queue is still busy after 20 s.
    bool finish(std::vector<std::string>* labels = nullptr) {
        for (int i = 0; i < 2000; ++i) {
            bool again = false;
            const std::string label = queue.Timer1Timer(&again).label;
            if (labels && (labels->empty() || labels->back() != label)) labels->push_back(label);
            if (queue.idle()) return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    TempDir tree, local;
    // Each listing takes a moment, so a poll sees every file's counter line.
    FtpServer server{tree.path(), slowListings()};
    EngineContext engine;
    DownloadQueue queue{engine, nullptr};
};

TEST(DownloadRequest, FolderNameAndSafety) {
    TFtpMain entry;
    entry.Server = "s";
    const struct {
        const char* fullName;
        const char* folder;
        const char* remotePath;
        bool safe;
    } cases[] = {
        {"/a.mp3", "/", "/a.mp3", true},
        {"/pub/music/a.mp3", "pub/music/", "/pub/music/a.mp3", true},
        // A folder named like the file does not cut the folder short.
        {"/a.mp3dir/a.mp3", "a.mp3dir/", "/a.mp3dir/a.mp3", true},
        {"/pub/..", "pub/", "/pub/..", false},
        {"/pub/", "pub/", "/pub/", false},
        {"/pub/a\\b.mp3", "pub/", "/pub/a\\b.mp3", false},
    };
    for (const auto& c : cases) {
        const Mrec item = DownloadRequest(entry, "/tmp/", c.fullName);
        EXPECT_EQ(item.RemoteFolder, c.folder) << c.fullName;
        EXPECT_EQ(RemotePath(item), c.remotePath) << c.fullName;
        EXPECT_EQ(NamesAreSafe(item), c.safe) << c.fullName;
    }
}

// Two files queued at once and one gone from the server: each starts when the one before
// ends, the counter line names the file under way, and the last line counts only what arrived.
TEST_F(DownloadQueueTest, QueuedFilesArriveInTurnAndAMissingOneIsCountedAsFailed) {
    queue.EnqueueDownload(request("/a/one.mp3", server.port()));
    queue.EnqueueDownload(request("/a/gone.mp3", server.port()));
    queue.EnqueueDownload(request("/root.mp3", server.port()));
    std::vector<std::string> labels;
    ASSERT_TRUE(finish(&labels));
    EXPECT_EQ(contents(local.path() + "one.mp3"), "first file");
    EXPECT_EQ(contents(local.path() + "root.mp3"), "at the top");
    EXPECT_FALSE(fileExists(local.path() + "gone.mp3"));
    const auto outcomes = queue.takeOutcomes();
    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_TRUE(outcomes[0].ok);
    EXPECT_EQ(outcomes[1].status, "Cannot files gone.mp3.");
    EXPECT_FALSE(outcomes[1].ok);
    EXPECT_TRUE(outcomes[2].ok);
    EXPECT_EQ(outcomes[2].bytes, 10u);
    EXPECT_TRUE(labels.back().starts_with(kLoaded + "2" + kFileOf + "3")) << labels.back();
    bool counted = false;
    for (const std::string& label : labels) counted |= label.ends_with("3" + kFileOf + "3");
    EXPECT_TRUE(counted) << "no counter line of the third file";
}

// A failed download leaves no file that looks complete, an older file of the same name stays
// until a new copy is whole, a full disk ends the item as failed, and the next one starts.
TEST_F(DownloadQueueTest, FailuresKeepTheOldFileAndLeaveNoPart) {
    ASSERT_TRUE(writeFileAtomic(local.path() + "two.mp3", local.path() + "t", "old copy"));
    ASSERT_EQ(::symlink("/dev/full", (local.path() + "two.mp3.part").c_str()), 0);
    queue.EnqueueDownload(request("/a/two.mp3", server.port()));
    queue.EnqueueDownload(request("/a/..", server.port()));
    queue.EnqueueDownload(request("/a/one.mp3", server.port()));
    ASSERT_TRUE(finish());
    EXPECT_TRUE(contents(local.path() + "two.mp3") == "old copy");
    EXPECT_FALSE(fileExists(local.path() + "two.mp3.part"));
    EXPECT_EQ(contents(local.path() + "one.mp3"), "first file");
    const auto outcomes = queue.takeOutcomes();
    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_FALSE(outcomes[0].ok) << outcomes[0].status;
    EXPECT_FALSE(outcomes[1].ok);
    EXPECT_TRUE(outcomes[1].status.ends_with("..")) << outcomes[1].status;
    EXPECT_TRUE(outcomes[2].ok);
}

// Abort ends a download blocked on a server that stopped answering; the next request is the
// first of one.
TEST_F(DownloadQueueTest, AbortEndsABlockedDownloadAndTheNextCountsAfresh) {
    FtpProxyOptions silent;
    silent.silentActive = true;
    FtpProxy proxy(server.port(), silent);
    engine.SessionOptions.timeouts.acceptSeconds = 30;
    queue.EnqueueDownload(request("/a/two.mp3", proxy.port()));
    queue.EnqueueDownload(request("/a/one.mp3", server.port()));
    std::this_thread::sleep_for(500ms);
    ASSERT_FALSE(queue.idle());
    queue.Abort();
    EXPECT_EQ(queue.display().label, ".");
    queue.EnqueueDownload(request("/root.mp3", server.port()));
    std::vector<std::string> labels;
    ASSERT_TRUE(finish(&labels));
    EXPECT_EQ(labels.back(), kLoaded + "1" + kFileOf + "1");
    EXPECT_EQ(contents(local.path() + "root.mp3"), "at the top");
    EXPECT_FALSE(fileExists(local.path() + "one.mp3"));
    EXPECT_FALSE(fileExists(local.path() + "two.mp3.part"));
}

}  // namespace
}  // namespace quarrow::test
