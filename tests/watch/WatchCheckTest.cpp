#include <gtest/gtest.h>
#include <utime.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine/EngineContext.h"
#include "engine/Masks.h"
#include "engine/ProgramFolders.h"
#include "engine/TestHelpers.h"
#include "fixtures/FtpServer.h"
#include "fixtures/TempDir.h"
#include "platform/FileSystem.h"
#include "watch/TimerQueue.h"
#include "watch/WatchContext.h"
#include "watch/WatchScheduler.h"

namespace quarrow::test {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

void setModified(const std::string& path, std::time_t utc) {
    const utimbuf times{utc, utc};
    ASSERT_EQ(::utime(path.c_str(), &times), 0) << path;
}

// An even second of local time, so that the 2-second cut of item times is visible around it.
std::time_t evenLocalSecond(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    return t - local.tm_sec % 2;
}

// A program folder, an engine and a watch list over a timer queue whose clock the test moves.
class WatchCheckTest : public ::testing::Test {
protected:
    WatchCheckTest()
        : timers([this] { return clock.load(); }),
          engine(program.path()),
          watch(engine, timers),
          scheduler(watch) {
        CreateDataFolders(program.path());
        watch.setTexts(LoadWatchTexts(QUARROW_DATA_DIR "/TXT/Engl.lng"));
        engine.SessionOptions.reconnect = {1, 10};
    }
    ~WatchCheckTest() override {
        const auto lines = watch.Table.lines();
        for (std::size_t p = 0; p < lines.size(); ++p)
            if (watch.Table.at(lines[p].entry)->Connected.load())
                scheduler.StartOrStop(static_cast<int>(p));
        engine.waitForWorkers();
    }

    // An entry for the server, listed, its new-since moment `since`.
    std::shared_ptr<WatchEntry> addEntry(int port, std::time_t since, bool recursive = true) {
        const int index = watch.Table.add();
        auto entry = watch.Table.at(index);
        entry->Server = "127.0.0.1";
        entry->Path = "/";
        entry->Mask = "*.MP3";
        entry->Extensions = BuildExtensions(entry->Mask);
        entry->UserName = "anonymous";
        entry->Port = port;
        entry->Recursive = recursive;
        entry->Interval.store(60000);
        entry->CheckNumber.store(1);
        entry->NewSince.store(since);
        watch.Table.appendLine(index, "127.0.0.1/   *.MP3   1 min", false);
        return entry;
    }

    // Fires the due timers as the window's timer ticks would, with the clock at `at`.
    void fireAt(TimerQueue::Clock::time_point at) {
        clock.store(at);
        for (const int entry : timers.takeDue()) scheduler.SpyTimerTimer(entry);
    }

    // Waits until the entry's check ended; `idle` also waits for the entry to show it.
    static bool finished(const WatchEntry& entry, std::chrono::seconds limit = 20s,
                         bool idle = true) {
        return waitUntil(
            [&] { return !entry.WorkerRunning.load() && !(idle && entry.Connected.load()); },
            limit);
    }

    static Lines itemLines(const WatchEntry& entry) {
        Lines lines;
        for (const TMainObj& item : entry.NewItems.items())
            lines.push_back(item.FullName + (item.IsFolder ? " D" : " F"));
        return lines;
    }

    // Read by check workers when they re-arm their timer.
    std::atomic<TimerQueue::Clock::time_point> clock{};
    TempDir program;
    TempDir tree;
    TimerQueue timers;
    EngineContext engine;
    WatchContext watch;
    WatchScheduler scheduler;
};

// Times around the new-since moment T: a file at T counts, a folder at T does not; one second
// before T is cut to two seconds before and is old, one after is cut to T and counts.
TEST_F(WatchCheckTest, ReportsWhatReachedNewSinceBreadthFirstWithoutDotFoldersOrDuplicates) {
    const std::time_t since = evenLocalSecond(std::time(nullptr) - 3 * 86400);
    // Each item's time from T; folders (no content) after their files, which would touch them.
    const struct {
        const char* path;
        const char* content;
        int offset;
    } items[] = {{"atT.mp3", "1", 0},
                 {"before.mp3", "22", -1},
                 {"after.mp3", "333", 1},
                 {"fresh.txt", "x", 100},
                 {"A/B/deep.mp3", "4", 100},
                 {"A/old.mp3", "5", -100},
                 {"A/B", nullptr, 50},
                 {"A", nullptr, -50},
                 {"Dup/x.mp3", "6", 10},
                 {"Dup", nullptr, 10},
                 {"DUP/y.mp3", "7", 10},
                 {"DUP", nullptr, 10},
                 {".hidden/secret.mp3", "8", 10},
                 {".hidden", nullptr, 10},
                 {"FolderAtT/", "", 0}};
    std::vector<TreeItem> files;
    for (const auto& item : items)
        if (item.content) files.push_back({item.path, item.content});
    makeTree(tree.path(), files);
    for (const auto& item : items) setModified(tree.path() + item.path, since + item.offset);
    FtpServer server(tree.path());
    const auto entry = addEntry(server.port(), since);

    scheduler.StartAll();
    fireAt(clock.load() + 100ms);
    ASSERT_TRUE(finished(*entry));
    // Level by level, each level in the server's (sorted) order; "DUP" is "Dup" again.
    EXPECT_EQ(itemLines(*entry), (Lines{"/DUP/ D", "/after.mp3 F", "/atT.mp3 F", "/A/B/ D",
                                        "/DUP/y.mp3 F", "/A/B/deep.mp3 F"}));
    EXPECT_EQ(entry->NewFileCount.load(), 4);
    EXPECT_EQ(entry->NewDirCount.load(), 2);
    EXPECT_EQ(entry->NewItems.at(1).Size, 3u);
    EXPECT_EQ(entry->NewItems.at(1).Time, since);
    EXPECT_EQ(entry->NewItems.line(0), "/DUP");
    EXPECT_EQ(entry->Outcome.load(), WalkOutcome::Walked);
    EXPECT_EQ(entry->statusText(), watch.Texts()->stopf + "4" + watch.Texts()->nevdir + "2");
    EXPECT_EQ(watch.BalloonText(), entry->statusText());
    // An inactive entry is not re-armed. A second check, without subfolders, reports the new
    // top-level items afresh: a new folder is reported but not listed.
    EXPECT_TRUE(timers.running().empty());
    entry->Recursive = false;
    scheduler.StartAll();
    fireAt(clock.load() + 100ms);
    ASSERT_TRUE(finished(*entry));
    EXPECT_EQ(itemLines(*entry), (Lines{"/DUP/ D", "/after.mp3 F", "/atT.mp3 F"}));
    EXPECT_EQ(entry->CheckNumber.load(), 3);
}

// The schedule runs on the test's clock: a check at start after 10 ms, an active entry again
// one interval after its check, a start request while busy starting nothing more.
TEST_F(WatchCheckTest, TimersStartChecksAtStartAndEveryIntervalAndNeverTwiceAtOnce) {
    TempDir slowTree;
    makeTree(slowTree.path(), {{"a/f.mp3", "x"}, {"b/g.mp3", "y"}});
    FtpServerOptions slow;
    slow.listDelaySeconds = 0.3;
    FtpServer server(slowTree.path(), slow);
    const auto entry = addEntry(server.port(), 0);
    entry->CheckAtStart.store(true);
    entry->Active.store(true);
    scheduler.ArmLoaded();
    fireAt(clock.load() + 5ms);
    EXPECT_FALSE(entry->Connected.load());
    fireAt(clock.load() + 5ms);
    EXPECT_TRUE(entry->Connected.load());

    // Start all pressed twice, and a tick of the entry's timer, while its check runs.
    scheduler.StartAll();
    scheduler.StartAll();
    scheduler.SpyTimerTimer(0);
    fireAt(clock.load() + 100ms);
    ASSERT_TRUE(finished(*entry));
    EXPECT_EQ(entry->CheckNumber.load(), 2) << "a busy entry started a second check";
    const auto running = timers.running();
    ASSERT_EQ(running.count(0), 1u);
    EXPECT_EQ(running.at(0), clock.load() + 60s);

    scheduler.Timer5Timer();
    EXPECT_EQ(entry->statusText(),
              watch.Texts()->form.dostr + "2" + watch.Texts()->form.prov + "0 min");
}

TEST_F(WatchCheckTest, StopEndsTheWalkAtOnceAndTheEmptiedListEndsChecksSilently) {
    std::vector<TreeItem> items;
    for (int i = 0; i < 12; ++i) items.push_back({"d" + std::to_string(10 + i) + "/f.mp3", "x"});
    makeTree(tree.path(), items);
    FtpServerOptions slow;
    slow.listDelaySeconds = 0.2;
    FtpServer server(tree.path(), slow);
    const auto stopped = addEntry(server.port(), 0);
    stopped->ResumeBase = program.path() + "stopped";
    stopped->TextExport = 2;
    const auto silent = addEntry(server.port(), 0);
    silent->ResumeBase = program.path() + "silent";
    silent->TextExport = 2;

    scheduler.StartAll();
    fireAt(clock.load() + 100ms);
    ASSERT_TRUE(waitUntil([&] { return stopped->NewItems.size() >= 3; }));
    scheduler.StartOrStop(0);
    ASSERT_TRUE(finished(*stopped, 5s)) << "Stop did not end the walk at once";
    EXPECT_EQ(stopped->Outcome.load(), WalkOutcome::Stopped);
    const std::size_t found = stopped->NewItems.size();
    EXPECT_LT(found, 24u);
    std::string written;
    ASSERT_TRUE(readWholeFile(program.path() + "stopped.txt", written));
    EXPECT_EQ(static_cast<std::size_t>(std::count(written.begin(), written.end(), '\n')), found);

    const std::string status = silent->statusText();
    watch.Table.removeLine(1);
    watch.Table.removeLine(0);
    // An abandoned check leaves its entry as it was, busy flag included.
    ASSERT_TRUE(finished(*silent, 20s, false));
    EXPECT_TRUE(silent->Connected.load());
    EXPECT_FALSE(fileExists(program.path() + "silent.txt"));
    EXPECT_TRUE(silent->statusText() == status ||
                silent->statusText().starts_with(watch.Texts()->nevfile))
        << silent->statusText();
}

TEST_F(WatchCheckTest, AServerThatCannotBeReachedWritesNoResult) {
    TempDir gone;
    auto server = std::make_unique<FtpServer>(gone.path());
    const int port = server->port();
    server.reset();
    const auto entry = addEntry(port, 0);
    entry->ResumeBase = program.path() + "none";
    entry->TextExport = 1;
    scheduler.StartAll();
    fireAt(clock.load() + 100ms);
    ASSERT_TRUE(finished(*entry));
    EXPECT_EQ(entry->Outcome.load(), WalkOutcome::NoHost);
    EXPECT_NE(entry->statusText().find(watch.Texts()->thread.infojointnohost), std::string::npos);
    EXPECT_FALSE(fileExists(program.path() + "none.txt"));
    EXPECT_EQ(watch.BalloonText(), entry->statusText());
}

}  // namespace
}  // namespace quarrow::test
