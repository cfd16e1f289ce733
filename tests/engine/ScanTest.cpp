#include <sys/stat.h>

#include <algorithm>

#include "engine/ClosePage.h"
#include "engine/ResumeFile.h"
#include "engine/ScanFixture.h"
#include "engine/SnapshotContainer.h"
#include "engine/SnapshotFile.h"
#include "engine/SnapshotHeader.h"
#include "engine/TestLists.h"
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

std::string snapshotPath(const TFtpMain& job) {
    return job.SnapshotBase + ".qrnet";
}
std::string resumePath(const TFtpMain& job) {
    return job.ResumeBase + ".qrsftp";
}

SnapshotData snapshotOf(const std::string& path) {
    SnapshotData snapshot;
    std::string error;
    EXPECT_TRUE(readSnapshotFile(path, snapshot, &error)) << error;
    return snapshot;
}

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

// A tree of `count` folders holding one file each, served with every listing delayed.
std::unique_ptr<FtpServer> slowServer(const TempDir& root, int count, double delay) {
    std::vector<TreeItem> items;
    for (int i = 0; i < count; ++i) items.push_back({"d" + std::to_string(10 + i) + "/f.mp3", "x"});
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

    const std::string host = "ftp://127.0.0.1";
    EXPECT_EQ(contentOf(exportBase + ".txt"), host + "/zz.mp3\r\n" + host + "/Alpha/one.mp3\r\n" +
                                                  host + "/Alpha/two.mp3\r\n" + host +
                                                  "/Alpha/Deep/three.mp3\r\n" + host +
                                                  "/DUP/a.mp3\r\n" + host + "/beta/four.MP3\r\n");
}

// Starts that end early or differently, one after another on the same server.
TEST_F(ScanTest, OtherStartsOnTheSameTree) {
    FtpServer server(tree.path());
    const auto scan = [&](const std::string& keys, const std::string& name) {
        const auto job =
            startScan(serverDescription(server) + keys + "[savefilename=" + program.path() +
                      "Arhive/" + name + ".qrnet]");
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

    EXPECT_EQ(snapshotOf(snapshotPath(*job)).names.size(), 101u);  // the final save has all
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
    EXPECT_EQ(snapshotOf(program.path() + "Arhive/continued.qrnet").names.size(), 7u);
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
    const auto snapshotBefore = contentOf(snapshotPath(*job));
    ASSERT_TRUE(snapshotBefore && contentOf(resumePath(*job)));
    ASSERT_TRUE(waitForScans());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(contentOf(snapshotPath(*job)), snapshotBefore);
    // The walk stopped at the folder it was listing, far from the end.
    EXPECT_LT(job->DirIndex.load(), 15);
    EXPECT_LT(snapshotOf(snapshotPath(*job)).names.size(), 20u);
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
    const SnapshotData snapshot = snapshotOf(snapshotPath(*job));
    EXPECT_EQ(linesOf(snapshot.names), names);
    EXPECT_EQ(linesOf(snapshot.dirs), fileDirs(*job));
}

}  // namespace
}  // namespace quarrow::test
