#include <utime.h>

#include "engine/EngineContext.h"
#include "engine/Masks.h"
#include "engine/ProgramFolders.h"
#include "engine/TestHelpers.h"
#include "watch/TimerQueue.h"
#include "watch/WatchContext.h"
#include "watch/WatchScheduler.h"

namespace quarrow::test {
namespace {

using namespace std::chrono_literals;

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

    // An entry for the server, listed, its new-since moment `since`, its result `saved`
    // (".txt" of the line texts) when named.
    std::shared_ptr<WatchEntry> addEntry(int port, std::time_t since, const char* saved = "") {
        const int index = watch.Table.add();
        auto entry = watch.Table.at(index);
        entry->Server = "127.0.0.1";
        entry->Path = "/";
        entry->Mask = "*.MP3";
        entry->Extensions = BuildExtensions(entry->Mask);
        entry->UserName = "anonymous";
        entry->Port = port;
        entry->Recursive = true;
        entry->Interval.store(60000);
        entry->CheckNumber.store(1);
        entry->NewSince.store(since);
        entry->ResumeBase = *saved ? program.path() + saved : "";
        entry->TextExport = 2;
        watch.Table.appendLine(index, "127.0.0.1/   *.MP3   1 min", false);
        return entry;
    }
    // Fires the due timers as the window's timer ticks would, with the clock moved on by `by`.
    void fireAfter(std::chrono::milliseconds by) {
        clock.store(clock.load() + by);
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
    std::unique_ptr<FtpServer> slowServer(int folders) {
        makeTree(tree.path(), folderTree(folders));
        return std::make_unique<FtpServer>(tree.path(), slowListings(0.2));
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

// Times around the new-since moment T, an even second of local time: a file at T counts, a
// folder at T does not; one second before T is cut to two seconds before and is old, one
// after is cut to T and counts.
TEST_F(WatchCheckTest, ReportsWhatReachedNewSinceBreadthFirstWithoutDotFoldersOrDuplicates) {
    std::time_t since = std::time(nullptr) - 3 * 86400;
    std::tm local{};
    localtime_r(&since, &local);
    since -= local.tm_sec % 2;
    // Each item's time from T; folders (no content) after their files, which would touch them.
    const struct {
        const char* path;
        const char* content;
        int offset;
    } items[] = {{"atT.mp3", "1", 0},        {"before.mp3", "22", -1},   {"after.mp3", "333", 1},
                 {"fresh.txt", "x", 100},    {"A/B/deep.mp3", "4", 100}, {"A/old.mp3", "5", -100},
                 {"A/B", nullptr, 50},       {"A", nullptr, -50},        {"Dup/x.mp3", "6", 10},
                 {"Dup", nullptr, 10},       {"DUP/y.mp3", "7", 10},     {"DUP", nullptr, 10},
                 {".hidden/s.mp3", "8", 10}, {".hidden", nullptr, 10},   {"FolderAtT/", "", 0}};
    std::vector<TreeItem> files;
    for (const auto& item : items)
        if (item.content) files.push_back({item.path, item.content});
    makeTree(tree.path(), files);
    for (const auto& item : items) {
        const utimbuf times{since + item.offset, since + item.offset};
        ASSERT_EQ(::utime((tree.path() + item.path).c_str(), &times), 0) << item.path;
    }
    FtpServer server(tree.path());
    const auto entry = addEntry(server.port(), since, "found");

    scheduler.StartAll();
    fireAfter(100ms);
    ASSERT_TRUE(finished(*entry));
    // Level by level, each level in the server's (sorted) order; "DUP" is "Dup" again.
    EXPECT_EQ(itemLines(*entry), (Lines{"/DUP/ D", "/after.mp3 F", "/atT.mp3 F", "/A/B/ D",
                                        "/DUP/y.mp3 F", "/A/B/deep.mp3 F"}));
    EXPECT_EQ(entry->NewItems.at(1).Size, 3u);
    EXPECT_EQ(entry->NewItems.at(1).Time, since);
    EXPECT_EQ(bytesOf(program.path() + "found.txt"),
              "/DUP\r\nafter.mp3\r\natT.mp3\r\n/A/B\r\ny.mp3\r\ndeep.mp3\r\n");
    EXPECT_EQ(entry->Outcome.load(), WalkOutcome::Walked);
    EXPECT_EQ((std::pair{entry->NewFileCount.load(), entry->NewDirCount.load()}), std::pair(4, 2));
    EXPECT_EQ(entry->statusText(), watch.Texts()->stopf + "4" + watch.Texts()->nevdir + "2");
    EXPECT_EQ(watch.BalloonText(), entry->statusText());
    // An inactive entry is not re-armed. A second check, without subfolders, reports the new
    // top-level items afresh: a new folder is reported but not listed.
    EXPECT_TRUE(timers.running().empty());
    entry->Recursive = false;
    scheduler.StartAll();
    fireAfter(100ms);
    ASSERT_TRUE(finished(*entry));
    EXPECT_EQ(itemLines(*entry), (Lines{"/DUP/ D", "/after.mp3 F", "/atT.mp3 F"}));
    EXPECT_EQ(entry->CheckNumber.load(), 3);
}

// The schedule runs on the test's clock: a check at start after 10 ms, an active entry again
// one interval after its check, a start request while busy starting nothing more.
TEST_F(WatchCheckTest, TimersStartChecksAtStartAndEveryIntervalAndNeverTwiceAtOnce) {
    const auto server = slowServer(2);
    const auto entry = addEntry(server->port(), 0);
    entry->CheckAtStart.store(true);
    entry->Active.store(true);
    scheduler.ArmLoaded();
    fireAfter(5ms);
    EXPECT_FALSE(entry->Connected.load());
    fireAfter(5ms);
    EXPECT_TRUE(entry->Connected.load());

    // Start all pressed twice, and a tick of the entry's timer, while its check runs.
    scheduler.StartAll();
    scheduler.StartAll();
    scheduler.SpyTimerTimer(0);
    fireAfter(100ms);
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
    const auto server = slowServer(12);
    const auto stopped = addEntry(server->port(), 0, "stopped");
    const auto silent = addEntry(server->port(), 0, "silent");
    scheduler.StartAll();
    fireAfter(100ms);
    ASSERT_TRUE(waitUntil([&] { return stopped->NewItems.size() >= 3; }));
    scheduler.StartOrStop(0);
    ASSERT_TRUE(finished(*stopped, 5s)) << "Stop did not end the walk at once";
    EXPECT_EQ(stopped->Outcome.load(), WalkOutcome::Stopped);
    // What was found is written.
    const std::size_t found = stopped->NewItems.size();
    EXPECT_LT(found, 24u);
    const std::string written = bytesOf(program.path() + "stopped.txt").value_or("");
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

}  // namespace
}  // namespace quarrow::test
