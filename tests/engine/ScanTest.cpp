#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <random>

#include "engine/ClosePage.h"
#include "engine/ResumeFile.h"
#include "engine/ScanFixture.h"
#include "engine/ScanStart.h"
#include "engine/SnapshotContainer.h"
#include "engine/SnapshotHeader.h"
#include "engine/TMonDirThread.h"
#include "fixtures/FtpProxy.h"
#include "fixtures/SilentServer.h"
#include "platform/DateTimeText.h"
#include "platform/FileSystem.h"

namespace quarrow::test {
namespace {

using Lines = std::vector<std::string>;

// The job's lists as they stand, each read under the job's lock.
Lines dirQueue(const TFtpMain& job) {
    std::lock_guard lock(job.Lock);
    return job.DirQueue;
}
Lines fileDirs(const TFtpMain& job) {
    std::lock_guard lock(job.Lock);
    return linesOf(job.FileDirs);
}
Lines fileNames(const TFtpMain& job) {
    std::lock_guard lock(job.Lock);
    return linesOf(job.FileNames);
}
const auto snapshotPath = [](const TFtpMain& job) { return job.SnapshotBase + ".qrnet"; };
const auto resumePath = [](const TFtpMain& job) { return job.ResumeBase + ".qrsftp"; };

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
    std::vector<TreeItem> items;
    for (int i = 0; i < count; ++i)
        for (int f = 0; f < files; ++f)
            items.push_back(
                {"d" + std::to_string(10 + i) + "/f" + std::to_string(f) + ".mp3", "x"});
    makeTree(root.path(), items);
    FtpServerOptions slow;
    slow.listDelaySeconds = delay;
    return std::make_unique<FtpServer>(root.path(), slow);
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
    const auto job = startScan(
        serverDescription(server) + "[mask=*.mp3][user=user][password=secret]", [&](TFtpMain& j) {
            j.SaveFileName = exportBase;
            j.TextExport = 1;
        });
    ASSERT_TRUE(waitForScans());

    EXPECT_EQ(job->Outcome.load(), WalkOutcome::Walked);
    EXPECT_FALSE(job->Running.load() || job->Connected.load() || job->Sorted.load());
    // Duplicates by case, ignored folders and links are skipped; "Empty" is queued.
    EXPECT_EQ(dirQueue(*job),
              (Lines{"/", "/Alpha/", "/Alpha/Deep/", "/DUP/", "/Empty/", "/beta/"}));
    EXPECT_EQ(fileNames(*job),
              (Lines{"zz.mp3", "one.mp3", "two.mp3", "three.mp3", "a.mp3", "four.MP3"}));
    EXPECT_EQ(fileDirs(*job), (Lines{"/", "/Alpha/", "1", "/Alpha/Deep/", "/DUP/", "/beta/"}));

    std::string bytes, error;
    ASSERT_TRUE(readWholeFile(snapshotPath(*job), bytes, &error)) << error;
    SnapshotData snapshot;
    ASSERT_TRUE(parseSnapshot(bytes, snapshot, &error)) << error;
    ASSERT_EQ(snapshot.header.size(), 8u);
    const auto texts = context->Texts();
    EXPECT_EQ(snapshot.header[0], texts->dataftpserver + "127.0.0.1//");
    EXPECT_TRUE(snapshot.header[1].starts_with(texts->timecreate + formatDate(std::time(nullptr))));
    EXPECT_EQ((Lines{snapshot.header.begin() + 2, snapshot.header.end()}),
              (Lines{texts->countfilet + "6", texts->nologin, "first comment", "second",
                     "127.0.0.1", "*.MP3"}));
    EXPECT_EQ(linesOf(snapshot.dirs), fileDirs(*job));
    EXPECT_EQ(linesOf(snapshot.names), fileNames(*job));
    // The container is exactly the documented one around these three blocks.
    EXPECT_EQ(bytes,
              packSnapshot(fileNameOf(snapshotPath(*job)),
                           buildSnapshotContent(snapshot.header, snapshot.dirs, snapshot.names)));

    ResumeData resume;
    ASSERT_EQ(readResumeFile(resumePath(*job), false, resume, &error), ResumeReadResult::Ok)
        << error;
    EXPECT_EQ(resume.header,
              buildResumeHeader(job->StartStamp, "127.0.0.1", "/", "*.MP3", "/beta/", "user",
                                "secret", server.port(), {"first comment", "second"}));
    EXPECT_EQ(resume.dirQueue, dirQueue(*job));
    EXPECT_EQ(linesOf(resume.fileDirs), fileDirs(*job));
    EXPECT_EQ(linesOf(resume.fileNames), fileNames(*job));
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
    const auto scan = [&](const std::string& keys, const std::string& name) {
        const auto job = startScan(serverDescription(server) + keys + savedAs(name));
        EXPECT_TRUE(waitForScans()) << keys;
        return job;
    };
    const auto flat = scan("[path=Alpha][nodirchild]", "flat");
    EXPECT_EQ(dirQueue(*flat), (Lines{"/Alpha/", "/Alpha/Deep/"}));
    EXPECT_EQ(fileNames(*flat), (Lines{"one.mp3", "skip.txt", "two.mp3"}));

    const auto empty = scan("[path=/Empty/]", "empty");
    EXPECT_EQ(empty->Outcome.load(), WalkOutcome::Walked);
    EXPECT_FALSE(fileExists(snapshotPath(*empty)) || fileExists(resumePath(*empty)));

    const auto refused = scan("[user=user][password=wrong]", "refused");
    EXPECT_EQ(refused->Outcome.load(), WalkOutcome::NoHost);
    EXPECT_EQ(refused->statusText(), "Host \"127.0.0.1\" " + context->Texts()->infojointnohost);
    EXPECT_FALSE(fileExists(snapshotPath(*refused)));

    // An archive folder that cannot be made is reported and the scan still ends.
    const std::string blocker = program.path() + "not-a-folder";
    ASSERT_TRUE(writeFileAtomic(blocker, blocker + ".tmp", "x"));
    const auto unwritable =
        startScan(serverDescription(server) + "[savefilename=" + blocker + "/sub/snap.qrnet]");
    ASSERT_TRUE(waitForScans());
    EXPECT_EQ(unwritable->Outcome.load(), WalkOutcome::Walked);
    EXPECT_EQ(unwritable->fileCount(), 8u);
    EXPECT_TRUE(unwritable->saveError().starts_with(context->Texts()->infosaveerror));
    EXPECT_FALSE(context->WriterBusy.load());
}

TEST_F(ScanTest, FolderBringingOneFileIsNotSavedOnceAHundredFilesAreFound) {
    TempDir big;
    std::vector<TreeItem> items;
    for (int i = 0; i < 100; ++i) items.push_back({"a/f" + std::to_string(100 + i) + ".mp3", "x"});
    items.push_back({"b/last.mp3", "x"});
    makeTree(big.path(), items);
    FtpServer server(big.path());
    const auto job = startScan(serverDescription(server));
    ASSERT_TRUE(waitForScans());

    EXPECT_EQ(snapshotOf(*job).names.size(), 101u);  // the final save has all
    ResumeData resume;
    ASSERT_EQ(readResumeFile(resumePath(*job), false, resume, nullptr), ResumeReadResult::Ok);
    EXPECT_EQ(resume.header[4], "/a/");  // "/b/" added one file: no progress save
    EXPECT_EQ(resume.fileNames.size(), 100u);
}

TEST_F(ScanTest, ResumedScanListsTheRecordedFolderAgainAndGoesOn) {
    FtpServer server(tree.path());
    const auto first = startScan(serverDescription(server) + "[mask=*.mp3]");
    ASSERT_TRUE(waitForScans());

    // Rewind the finished scan's resume file to the moment "/Alpha/Deep/" had been listed.
    ResumeData resume;
    ASSERT_EQ(readResumeFile(resumePath(*first), false, resume, nullptr), ResumeReadResult::Ok);
    resume.header[4] = "/alpha/deep/";  // the position is found without regard to case
    resume.fileDirs.truncate(4);
    resume.fileNames.truncate(4);
    const std::string rewound = program.path() + "Session/rewound.qrsftp";
    ASSERT_TRUE(writeFileAtomic(rewound, rewound + "tmp", buildResumeFile(resume)));

    const auto resumed = resumeScan(rewound, program.path() + "Arhive/continued");
    ASSERT_TRUE(waitForScans());
    EXPECT_EQ(resumed->StartStamp, first->StartStamp + "_Ses");
    EXPECT_EQ(fileNames(*resumed), (Lines{"zz.mp3", "one.mp3", "two.mp3", "three.mp3", "three.mp3",
                                          "a.mp3", "four.MP3"}));
    EXPECT_EQ(fileDirs(*resumed),
              (Lines{"/", "/Alpha/", "1", "/Alpha/Deep/", "/Alpha/Deep/", "/DUP/", "/beta/"}));
    EXPECT_EQ(snapshotOf(*resumed).names.size(), 7u);
    // The old resume file stays; the resumed scan writes one of its own.
    EXPECT_TRUE(fileExists(rewound) && fileExists(resumePath(*resumed)));
}

TEST_F(ScanTest, ClosingThePageStopsTheWalkAndNothingIsWrittenAfterwards) {
    TempDir slowTree;
    const auto server = slowServer(slowTree, 20, 0.2);
    const auto job = startScan(serverDescription(*server));
    ASSERT_TRUE(
        waitUntil([&] { return fileExists(resumePath(*job)) && job->DirIndex.load() >= 3; }));

    closePage(0, true);
    EXPECT_FALSE(job->Running.load());
    EXPECT_EQ(job->statusText(), kSortingStatus);
    const auto snapshotBefore = bytesOf(snapshotPath(*job));
    ASSERT_TRUE(snapshotBefore && bytesOf(resumePath(*job)));
    ASSERT_TRUE(waitForScans());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(bytesOf(snapshotPath(*job)), snapshotBefore);
    // The walk stopped at the folder it was listing, far from the end.
    EXPECT_LT(job->DirIndex.load(), 15);
    EXPECT_LT(snapshotOf(*job).names.size(), 20u);
}

TEST_F(ScanTest, ClosingThePageEndsAConnectToAServerThatNeverAnswers) {
    SilentServer silent;
    const auto job = startScan("[server=127.0.0.1][port=" + std::to_string(silent.port()) + "]");
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
    const auto job = startScan(serverDescription(server));
    ASSERT_TRUE(waitForScans());

    const auto names = fileNames(*job);
    Lines texts = dirQueue(*job);
    texts.insert(texts.end(), names.begin(), names.end());
    for (const auto& text : texts) EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
    for (const char* kept : {"plain.mp3", "last.mp3"})
        EXPECT_NE(std::find(names.begin(), names.end(), kept), names.end()) << kept;
    const SnapshotData snapshot = snapshotOf(*job);
    EXPECT_EQ(linesOf(snapshot.names), names);
    EXPECT_EQ(linesOf(snapshot.dirs), fileDirs(*job));
}

// Pages closed while their scans run, as the window closes them.
class CountingTimer : public Notifier {
public:
    void enable() override { ++calls; }
    std::atomic<int> calls{0};
};

class ScanCloseStressTest : public ScanFixture {
protected:
    // Starts a scan the way the Start button does, saving as `name` in the archive folder.
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
            job->ProgressTimer = timer;
            job->FinishTimer = timer;
        }
        TMonDirThread::Create(*context, number, false);
        return number;
    }

    std::shared_ptr<CountingTimer> timer = std::make_shared<CountingTimer>();
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
            EXPECT_TRUE(job->PageClosed.load());
            for (const std::string& file :
                 {job->SnapshotBase + ".qrnet", job->ResumeBase + ".qrsftp"})
                atClose[file] = bytesOf(file);
            if (atClose[job->ResumeBase + ".qrsftp"]) ++closedAfterAWrite;
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

// Twelve folders, some nested, two matching files and one other in each.
std::vector<TreeItem> faultTree() {
    std::vector<TreeItem> items;
    for (const char* folder :
         {"a", "a/b", "a/b/c", "d", "e", "e/f", "g", "h", "h/i", "j", "k", "l"}) {
        const std::string f = folder;
        items.push_back({f + "/one.mp3", f});
        items.push_back({f + "/two.mp3", f});
        items.push_back({f + "/note.txt", f});
    }
    return items;
}

struct Results {
    Lines dirs, names;
    bool operator==(const Results&) const = default;
};

Results snapshotResults(const TFtpMain& job) {
    const SnapshotData snapshot = snapshotOf(job);
    return {linesOf(snapshot.dirs), linesOf(snapshot.names)};
}

std::size_t countStarting(const Lines& lines, const Lines& prefixes) {
    return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const auto& l) {
        return std::any_of(prefixes.begin(), prefixes.end(),
                           [&](const auto& p) { return l.starts_with(p); });
    }));
}

// The server, and the results of a walk of it that met no fault.
class ScanFaultTest : public ScanFixture {
protected:
    void SetUp() override {
        makeTree(tree.path(), faultTree());
        server = std::make_unique<FtpServer>(tree.path());
        const auto undisturbed = startScan(serverDescription(*server));
        ASSERT_TRUE(waitForScans());
        ASSERT_TRUE(undisturbed->walkComplete());
        expected = snapshotResults(*undisturbed);
        ASSERT_EQ(expected.names.size(), 36u);
    }

    std::string through(const FtpProxy& proxy, const std::string& name) const {
        return "[server=127.0.0.1][port=" + std::to_string(proxy.port()) + "]" + savedAs(name);
    }

    std::unique_ptr<FtpServer> server;
    Results expected;
};

// Each fault, met once or on every connection, must leave the walk's results exactly those of
// a walk that met none.
TEST_F(ScanFaultTest, EveryPassingFaultLeavesTheResultsOfAnUndisturbedWalk) {
    struct Row {
        const char* name;
        FtpProxyOptions fault;
        bool goesPassive;
    };
    const auto fault = [](auto set) {
        FtpProxyOptions o;
        set(o);
        return o;
    };
    const std::vector<Row> rows = {
        {"nat-refuses", fault([](auto& o) { o.dropActive = true; }), true},
        {"nat-drops", fault([](auto& o) { o.silentActive = true; }), true},
        {"nat-no-stat", fault([](auto& o) { o.dropActive = o.refuseStat = true; }), true},
        {"transfer-fails", fault([](auto& o) { o.refuseStat = true, o.failTransfer = 4; }), false},
        {"closed", fault([](auto& o) { o.closeAfter = 14, o.faultyConnections = 1; }), false},
        {"silent", fault([](auto& o) { o.silentAfter = 14, o.faultyConnections = 1; }), false},
        {"cut", fault([](auto& o) { o.cutAfter = 14, o.faultyConnections = 1; }), false},
        {"cut-listing", fault([](auto& o) { o.refuseStat = true, o.cutAfter = 14; }), false},
    };
    for (Row row : rows) {
        SCOPED_TRACE(row.name);
        TempDir logs;
        row.fault.log = logs.path() + "commands.log";
        FtpProxy proxy(server->port(), row.fault);
        const auto job = startScan(through(proxy, row.name));
        ASSERT_TRUE(waitForScans(std::chrono::seconds(60)));
        EXPECT_TRUE(job->walkComplete()) << job->statusText();
        EXPECT_EQ(snapshotResults(*job), expected);
        const Lines commands = proxy.commands();
        if (row.goesPassive) {
            // Active mode is tried once per session, not once per folder.
            EXPECT_EQ(countStarting(commands, {"PORT", "EPRT"}), 1u);
            EXPECT_NE(job->note().find(context->Texts()->infopassive), std::string::npos);
        } else {
            EXPECT_EQ(countStarting(commands, {"EPSV", "PASV"}), 0u);
        }
    }
}

TEST_F(ScanFaultTest, AServerGoneForGoodInterruptsAndTheResumeFileFinishesTheWalk) {
    FtpProxyOptions dying;
    dying.closeAfter = 14;
    dying.maxConnections = 1;
    FtpProxy proxy(server->port(), dying);
    const auto job = startScan(through(proxy, "dying"));
    ASSERT_TRUE(waitForScans());
    EXPECT_EQ(job->Outcome.load(), WalkOutcome::Interrupted);
    EXPECT_FALSE(job->walkComplete());
    EXPECT_GT(job->UnlistedDirs.load(), 0);
    const std::string resumeFile = job->ResumeBase + ".qrsftp";
    ASSERT_TRUE(fileExists(resumeFile));
    EXPECT_NE(job->statusText().find(resumeFile), std::string::npos) << job->statusText();
    EXPECT_LT(snapshotResults(*job).names.size(), expected.names.size());

    // The server is back, without the relay in front of it.
    const auto resumed = resumeScan(resumeFile, program.path() + "Arhive/resumed",
                                    [&](TFtpMain& again) { again.Port = server->port(); });
    ASSERT_TRUE(waitForScans());
    EXPECT_TRUE(resumed->walkComplete());
    EXPECT_EQ(snapshotResults(*resumed), expected);
}

}  // namespace
}  // namespace quarrow::test
