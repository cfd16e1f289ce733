#include <sys/stat.h>

#include <functional>
#include <map>
#include <random>

#include "engine/ClosePage.h"
#include "engine/CommandLine.h"
#include "engine/EngineContext.h"
#include "engine/ProgramFolders.h"
#include "engine/ResumeFile.h"
#include "engine/ResumeJob.h"
#include "engine/ScanStart.h"
#include "engine/SnapshotContainer.h"
#include "engine/SnapshotFile.h"
#include "engine/SnapshotHeader.h"
#include "engine/TFtpMain.h"
#include "engine/TMonDirThread.h"
#include "engine/TestHelpers.h"
#include "engine/Translate.h"
#include "fixtures/FtpProxy.h"
#include "platform/DateTimeText.h"
#include "platform/FtpSession.h"

namespace quarrow::test {
namespace {

// The job's lists as they stand, read under the job's lock.
struct Lists {
    Lines queue, dirs, names;
};
Lists listsOf(const TFtpMain& job) {
    std::lock_guard lock(job.Lock);
    return {job.DirQueue, linesOf(job.FileDirs), linesOf(job.FileNames)};
}

// A program folder with the data folders and English texts, an engine over it, and helpers
// to start scans against a real FTP server and wait for them.
class ScanFixture : public ::testing::Test {
protected:
    ScanFixture() {
        CreateDataFolders(program.path());
        context = std::make_unique<EngineContext>(program.path());
        context->setTexts(LoadThreadTexts(QUARROW_DATA_DIR "/TXT/Engl.lng"));
        EXPECT_FALSE(context->Texts()->infojointnohost.empty()) << "no English texts";
        // Faults are simulated on loopback, where nothing takes long: short waits keep each cheap.
        context->SessionOptions.timeouts.responseSeconds = 2;
        context->SessionOptions.timeouts.acceptSeconds = 2;
        context->SessionOptions.reconnect = {3, 50};
    }
    ~ScanFixture() override {
        for (const auto& job : context->Jobs.all()) {
            job->StopRequested.store(true);
            job->Connected.store(false);
            std::lock_guard lock(job->Lock);
            if (job->FtpHandle) job->FtpHandle->close();
        }
        context->waitForWorkers();
    }

    // Adds a job filled from a command-line description, lets `adjust` change it, and starts
    // its walker.
    std::shared_ptr<TFtpMain> startScan(const std::string& description,
                                        const std::function<void(TFtpMain&)>& adjust = {}) {
        const int number = context->Jobs.add();
        auto job = context->Jobs.at(number);
        std::string error;
        EXPECT_EQ(FillJobFromDescription(*context, *job, description, std::time(nullptr), error),
                  FillResult::Filled)
            << error;
        if (adjust) adjust(*job);
        TMonDirThread::Create(*context, number, false);
        return job;
    }
    // Closes the page of job `number` as the window does, sleeping briefly while it waits.
    void closePage(int number, bool lastPage) {
        ClosePage(*context, number, lastPage,
                  [] { std::this_thread::sleep_for(std::chrono::milliseconds(2)); });
    }
    // True when every walker ended within `limit` (a hang fails the test instead of CI).
    bool waitForScans(std::chrono::seconds limit = std::chrono::seconds(30)) {
        if (!waitUntil([&] { return !context->workersRunning(); }, limit)) return false;
        context->waitForWorkers();
        return true;
    }
    // The key that saves the snapshot as `name` + ".qrnet" in the archive folder.
    std::string savedAs(const std::string& name) const {
        return "[savefilename=" + program.path() + "Arhive/" + name + ".qrnet]";
    }

    static std::string snapshotPath(const TFtpMain& job) { return job.SnapshotBase + ".qrnet"; }
    static std::string resumePath(const TFtpMain& job) { return job.ResumeBase + ".qrsftp"; }
    static SnapshotData snapshotOf(const TFtpMain& job) {
        SnapshotData snapshot;
        std::string error;
        EXPECT_TRUE(readSnapshotFile(snapshotPath(job), snapshot, &error)) << error;
        return snapshot;
    }

    TempDir program;
    TempDir tree;
    std::unique_ptr<EngineContext> context;
};

// Folders in the server's (sorted) order: "Alpha" has a subfolder, "DUP" and "Dup" differ
// only in case, "Empty" cannot be listed, "Trash_old" is ignored, "loop" links back to the
// root and must be a file, never a folder to enter.
const std::vector<TreeItem> kTree = {
    {"Alpha/one.mp3", "1"},  {"Alpha/two.mp3", "2"},
    {"Alpha/skip.txt", "x"}, {"Alpha/Deep/three.mp3", "3"},
    {"DUP/a.mp3", "a"},      {"Dup/b.mp3", "b"},
    {"Empty/", ""},          {"Trash_old/t.mp3", "t"},
    {"beta/four.MP3", "4"},  {"zz.mp3", "z"},
};

// A tree of `count` folders holding `files` files each, served with every listing delayed.
std::unique_ptr<FtpServer> slowServer(const TempDir& root, int count, double delay, int files = 1) {
    makeTree(root.path(), folderTree(count, files));
    return std::make_unique<FtpServer>(root.path(), slowListings(delay));
}

class ScanTest : public ScanFixture {
protected:
    void SetUp() override {
        makeTree(tree.path(), kTree);
        ASSERT_EQ(::symlink(".", (tree.path() + "loop").c_str()), 0);
        context->setIgnoreList({"trash"});
    }
};

TEST_F(ScanTest, WalksDepthFirstAndWritesSnapshotResumeAndExportByteForByte) {
    FtpServer server(tree.path());
    context->setCommentLines({"first comment", "second"});
    const std::string exportBase = program.path() + "Arhive/export";
    const auto job = startScan(loopback(server.port()) + "[mask=*.mp3][user=user][password=secret]",
                               [&](TFtpMain& j) {
                                   j.SaveFileName = exportBase;
                                   j.TextExport = 1;
                               });
    ASSERT_TRUE(waitForScans());

    EXPECT_EQ(job->Outcome.load(), WalkOutcome::Walked);
    EXPECT_FALSE(job->Running.load() || job->Connected.load() || job->Sorted.load());
    // Duplicates by case, ignored folders and links are skipped; "Empty" is queued.
    const Lists lists = listsOf(*job);
    EXPECT_EQ(lists.queue, (Lines{"/", "/Alpha/", "/Alpha/Deep/", "/DUP/", "/Empty/", "/beta/"}));
    EXPECT_EQ(lists.names,
              (Lines{"zz.mp3", "one.mp3", "two.mp3", "three.mp3", "a.mp3", "four.MP3"}));
    EXPECT_EQ(lists.dirs, (Lines{"/", "/Alpha/", "1", "/Alpha/Deep/", "/DUP/", "/beta/"}));

    // The snapshot is exactly the container around these header, folder and name blocks, the
    // resume file exactly its header and the three lists.
    const auto texts = context->Texts();
    const SnapshotData snapshot = snapshotOf(*job);
    ASSERT_EQ(snapshot.header.size(), 8u);
    EXPECT_EQ(snapshot.header[0], texts->dataftpserver + "127.0.0.1//");
    EXPECT_TRUE(snapshot.header[1].starts_with(texts->timecreate + formatDate(std::time(nullptr))));
    EXPECT_EQ((Lines{snapshot.header.begin() + 2, snapshot.header.end()}),
              (Lines{texts->countfilet + "6", texts->nologin, "first comment", "second",
                     "127.0.0.1", "*.MP3"}));
    EXPECT_EQ(bytesOf(snapshotPath(*job)),
              packSnapshot(
                  fileNameOf(snapshotPath(*job)),
                  buildSnapshotContent(snapshot.header, toList(lists.dirs), toList(lists.names))));
    EXPECT_EQ(bytesOf(resumePath(*job)),
              buildResumeFile(
                  {buildResumeHeader(job->StartStamp, "127.0.0.1", "/", "*.MP3", "/beta/", "user",
                                     "secret", server.port(), {"first comment", "second"}),
                   lists.queue, toList(lists.dirs), toList(lists.names)}));
    // Work files are gone once the files are in place.
    EXPECT_FALSE(fileExists(job->SnapshotBase + "1tmp") || fileExists(job->ResumeBase + "tmp"));

    std::string exported;
    for (const char* file : {"/zz.mp3", "/Alpha/one.mp3", "/Alpha/two.mp3", "/Alpha/Deep/three.mp3",
                             "/DUP/a.mp3", "/beta/four.MP3"})
        exported += std::string("ftp://127.0.0.1") + file + "\r\n";
    EXPECT_EQ(bytesOf(exportBase + ".txt"), exported);
}

// Starts that end early or differently, one after another on the same server.
TEST_F(ScanTest, OtherStartsOnTheSameTree) {
    FtpServer server(tree.path());
    const auto scan = [&](const std::string& keys) {
        const auto job = startScan(loopback(server.port()) + keys);
        EXPECT_TRUE(waitForScans()) << keys;
        return job;
    };
    const auto flat = scan("[path=Alpha][nodirchild]" + savedAs("flat"));
    EXPECT_EQ(listsOf(*flat).queue, (Lines{"/Alpha/", "/Alpha/Deep/"}));
    EXPECT_EQ(listsOf(*flat).names, (Lines{"one.mp3", "skip.txt", "two.mp3"}));

    const auto empty = scan("[path=/Empty/]" + savedAs("empty"));
    EXPECT_EQ(empty->Outcome.load(), WalkOutcome::Walked);
    EXPECT_FALSE(fileExists(snapshotPath(*empty)) || fileExists(resumePath(*empty)));

    const auto refused = scan("[user=user][password=wrong]" + savedAs("refused"));
    EXPECT_EQ(refused->Outcome.load(), WalkOutcome::NoHost);
    EXPECT_EQ(refused->statusText(), "Host \"127.0.0.1\" " + context->Texts()->infojointnohost);
    EXPECT_FALSE(fileExists(snapshotPath(*refused)));
}

TEST_F(ScanTest, ResumedScanListsTheRecordedFolderAgainAndGoesOn) {
    FtpServer server(tree.path());
    const auto first = startScan(loopback(server.port()) + "[mask=*.mp3]");
    ASSERT_TRUE(waitForScans());

    // Rewind the finished scan's resume file to the moment "/Alpha/Deep/" had been listed.
    ResumeData resume;
    std::string error;
    ASSERT_EQ(readResumeFile(resumePath(*first), false, resume, &error), ResumeReadResult::Ok)
        << error;
    resume.header.at(4) = "/alpha/deep/";  // the position is found without regard to case
    resume.fileDirs.truncate(4);
    resume.fileNames.truncate(4);
    const std::string rewound = program.path() + "Session/rewound.qrsftp";
    ASSERT_TRUE(writeFileAtomic(rewound, rewound + "tmp", buildResumeFile(resume)));

    const int number = context->Jobs.add();
    const auto resumed = context->Jobs.at(number);
    ResumeChoice choice{rewound, program.path() + "Arhive/continued.qrnet", "Quarrowbrisk"};
    ASSERT_EQ(FillJobFromResume(*context, *resumed, choice, error), ResumeFillResult::Filled)
        << error;
    TMonDirThread::Create(*context, number, true);
    ASSERT_TRUE(waitForScans());
    EXPECT_EQ(resumed->StartStamp, first->StartStamp + "_Ses");
    EXPECT_EQ(listsOf(*resumed).names, (Lines{"zz.mp3", "one.mp3", "two.mp3", "three.mp3",
                                              "three.mp3", "a.mp3", "four.MP3"}));
    EXPECT_EQ(listsOf(*resumed).dirs,
              (Lines{"/", "/Alpha/", "1", "/Alpha/Deep/", "/Alpha/Deep/", "/DUP/", "/beta/"}));
    EXPECT_EQ(snapshotOf(*resumed).names.size(), 7u);
    // The old resume file stays; the resumed scan writes one of its own.
    EXPECT_TRUE(fileExists(rewound) && fileExists(resumePath(*resumed)));
}

// Another page stays open, so only the stop itself can end this walk: the listing under way
// is abandoned and nothing found afterwards reaches the released lists or the files.
TEST_F(ScanTest, ClosingThePageStopsTheWalkAndNothingIsWrittenAfterwards) {
    TempDir slowTree;
    const auto server = slowServer(slowTree, 20, 0.3);
    const auto job = startScan(loopback(server->port()));
    context->Jobs.add();
    ASSERT_TRUE(
        waitUntil([&] { return fileExists(resumePath(*job)) && job->DirIndex.load() >= 3; }));

    closePage(0, false);
    EXPECT_EQ(job->statusText(), kSortingStatus);
    const auto snapshotBefore = bytesOf(snapshotPath(*job));
    ASSERT_TRUE(snapshotBefore && bytesOf(resumePath(*job)));
    ASSERT_TRUE(waitForScans());
    EXPECT_EQ(job->Outcome.load(), WalkOutcome::Stopped);
    EXPECT_EQ(bytesOf(snapshotPath(*job)), snapshotBefore);
    EXPECT_TRUE(listsOf(*job).queue.empty() && listsOf(*job).names.empty());
    EXPECT_LT(snapshotOf(*job).names.size(), 20u);
}

TEST_F(ScanTest, ClosingThePageEndsAConnectToAServerThatNeverAnswers) {
    SilentServer silent;
    const auto job = startScan(loopback(silent.port()));
    ASSERT_TRUE(waitUntil([&] {
        std::lock_guard lock(job->Lock);
        return job->InetHandle != nullptr;
    }));
    closePage(0, true);
    ASSERT_TRUE(waitForScans(std::chrono::seconds(5)));
    EXPECT_FALSE(fileExists(snapshotPath(*job)));
}

TEST_F(ScanTest, NamesWithLineBreaksNeverBreakTheParallelLists) {
    TempDir odd;
    makeTree(odd.path(), {{"plain.mp3", "x"},
                          {"two\nlines.mp3", "x"},
                          {"cr\rname.mp3", "x"},
                          {"sub\nfolder/inner.mp3", "x"},
                          {"last.mp3", "x"}});
    FtpServer server(odd.path());
    const auto job = startScan(loopback(server.port()));
    ASSERT_TRUE(waitForScans());

    const Lines names = listsOf(*job).names;
    for (const Lines& list : {listsOf(*job).queue, names})
        for (const auto& text : list) EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(std::count(names.begin(), names.end(), "plain.mp3") +
                  std::count(names.begin(), names.end(), "last.mp3"),
              2);
    const SnapshotData snapshot = snapshotOf(*job);
    EXPECT_EQ(linesOf(snapshot.names), names);
    EXPECT_EQ(linesOf(snapshot.dirs), listsOf(*job).dirs);
}

// Pages closed while their scans run, as the window closes them, the scans started the way
// the Start button starts them.
class ScanCloseStressTest : public ScanFixture {
protected:
    int startLikeTheWindow(const FtpServer& server, const std::string& name) {
        ScanEntries entries{"127.0.0.1", "", ".mp3", "", "us@site", std::to_string(server.port())};
        EXPECT_TRUE(NormaliseScanEntries(entries));
        const int number = context->Jobs.add();
        const auto job = context->Jobs.at(number);
        const StartChoice choice{program.path() + "Arhive/" + name + ".qrnet", 1, "Quarrowbrisk",
                                 true, std::time(nullptr)};
        FillJobFromEntries(*context, *job, entries, *StartPort(entries.port), choice);
        {
            std::lock_guard lock(job->Lock);
            job->ProgressTimer = job->FinishTimer = std::make_shared<CountingNotifier>();
        }
        TMonDirThread::Create(*context, number, false);
        return number;
    }
};

TEST_F(ScanCloseStressTest, PagesClosedInRandomOrderWhileScanningNeverSeeAnotherWrite) {
    const auto server = slowServer(tree, 12, 0.05, 3);
    std::mt19937 random(20241206);
    int closedAfterAWrite = 0;
    for (int round = 0; round < 3; ++round) {
        std::vector<int> open;
        for (int scan = 0; scan < 4; ++scan)
            open.push_back(startLikeTheWindow(
                *server, "r" + std::to_string(round) + "_" + std::to_string(scan)));
        // What each file held when its page was closed.
        std::map<std::string, std::optional<std::string>> atClose;
        while (!open.empty()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(random() % 250));
            const std::size_t pick = random() % open.size();
            const auto job = context->Jobs.at(open[pick]);
            ASSERT_TRUE(job);
            closePage(open[pick], open.size() == 1);
            for (const std::string& file : {snapshotPath(*job), resumePath(*job)})
                atClose[file] = bytesOf(file);
            closedAfterAWrite += atClose[resumePath(*job)].has_value();
            open.erase(open.begin() + static_cast<long>(pick));
        }
        EXPECT_EQ(context->Jobs.LastJobIndex(), -1);
        ASSERT_TRUE(waitForScans()) << "round " << round;
        for (const auto& [file, content] : atClose)
            EXPECT_EQ(bytesOf(file), content) << file << " changed after its page was closed";
        EXPECT_EQ(context->Jobs.add(), 0) << "the emptied table starts again at job 0";
        context->Jobs.markEmpty();
        context->Jobs.clear();
    }
    EXPECT_GT(closedAfterAWrite, 0) << "no page was closed while its scan was saving";
}

using ScanFaultTest = ScanFixture;

// Each fault, met once or on every connection, must leave the walk's results exactly those of
// a walk that met none. The tree: twelve folders, some nested, two matching files and one
// other in each.
TEST_F(ScanFaultTest, EveryPassingFaultLeavesTheResultsOfAnUndisturbedWalk) {
    std::vector<TreeItem> items;
    for (const std::string f :
         {"a", "a/b", "a/b/c", "d", "e", "e/f", "g", "h", "h/i", "j", "k", "l"})
        for (const char* name : {"/one.mp3", "/two.mp3", "/note.txt"})
            items.push_back({f + name, f});
    makeTree(tree.path(), items);
    FtpServer server(tree.path());
    const auto undisturbed = startScan(loopback(server.port()));
    ASSERT_TRUE(waitForScans());
    ASSERT_TRUE(undisturbed->walkComplete());
    const auto results = [](const TFtpMain& job) {
        const SnapshotData snapshot = snapshotOf(job);
        return std::pair(linesOf(snapshot.dirs), linesOf(snapshot.names));
    };
    const auto expected = results(*undisturbed);
    ASSERT_EQ(expected.second.size(), 36u);
    const struct {
        const char* name;
        void (*fault)(FtpProxyOptions&);
        bool goesPassive;
    } rows[] = {
        {"nat-drops", [](auto& o) { o.silentActive = true; }, true},
        {"nat-no-stat", [](auto& o) { o.dropActive = o.refuseStat = true; }, true},
        {"transfer-fails", [](auto& o) { o.refuseStat = true, o.failTransfer = 4; }, false},
        {"silent", [](auto& o) { o.silentAfter = 14, o.faultyConnections = 1; }, false},
        {"cut", [](auto& o) { o.cutAfter = 14, o.faultyConnections = 1; }, false},
        {"cut-listing", [](auto& o) { o.refuseStat = true, o.cutAfter = 14; }, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir logs;
        FtpProxyOptions options;
        row.fault(options);
        options.log = logs.path() + "commands.log";
        FtpProxy proxy(server.port(), options);
        const auto job = startScan(loopback(proxy.port()) + savedAs(row.name));
        ASSERT_TRUE(waitForScans(std::chrono::seconds(60)));
        EXPECT_TRUE(job->walkComplete()) << job->statusText();
        EXPECT_EQ(results(*job), expected);
        // Active mode is tried once per session, not once per folder.
        EXPECT_EQ(countStarting(proxy.commands(),
                                row.goesPassive ? Lines{"PORT", "EPRT"} : Lines{"EPSV", "PASV"}),
                  row.goesPassive ? 1u : 0u);
        EXPECT_EQ(job->note().find(context->Texts()->infopassive) != std::string::npos,
                  row.goesPassive);
    }
}

}  // namespace
}  // namespace quarrow::test
