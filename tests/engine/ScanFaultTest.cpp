#include <algorithm>

#include "engine/ScanFixture.h"
#include "engine/SnapshotFile.h"
#include "engine/TestLists.h"
#include "fixtures/FtpProxy.h"
#include "platform/FileSystem.h"

namespace quarrow::test {
namespace {

using Lines = std::vector<std::string>;

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
    SnapshotData snapshot;
    std::string error;
    EXPECT_TRUE(readSnapshotFile(job.SnapshotBase + ".qrnet", snapshot, &error)) << error;
    return {linesOf(snapshot.dirs), linesOf(snapshot.names)};
}

std::size_t countStarting(const Lines& lines, const Lines& prefixes) {
    return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const auto& l) {
        return std::any_of(prefixes.begin(), prefixes.end(),
                           [&](const auto& p) { return l.starts_with(p); });
    }));
}

class ScanFaultTest : public ScanFixture {
protected:
    void SetUp() override { makeTree(tree.path(), faultTree()); }

    std::string through(const FtpProxy& proxy, const std::string& name) const {
        return "[server=127.0.0.1][port=" + std::to_string(proxy.port()) +
               "][savefilename=" + program.path() + "Arhive/" + name + ".qrnet]";
    }
};

// Each fault, met once or on every connection, must leave the walk's results exactly those of
// a walk that met none.
TEST_F(ScanFaultTest, EveryPassingFaultLeavesTheResultsOfAnUndisturbedWalk) {
    FtpServer server(tree.path());
    const auto undisturbed = startScan(serverDescription(server));
    ASSERT_TRUE(waitForScans());
    ASSERT_TRUE(undisturbed->walkComplete());
    const Results expected = snapshotResults(*undisturbed);
    ASSERT_EQ(expected.names.size(), 36u);

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
        FtpProxy proxy(server.port(), row.fault);
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
    FtpServer server(tree.path());
    const auto undisturbed = startScan(serverDescription(server));
    ASSERT_TRUE(waitForScans());
    const Results expected = snapshotResults(*undisturbed);

    FtpProxyOptions dying;
    dying.closeAfter = 14;
    dying.maxConnections = 1;
    FtpProxy proxy(server.port(), dying);
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
                                    [&](TFtpMain& again) { again.Port = server.port(); });
    ASSERT_TRUE(waitForScans());
    EXPECT_TRUE(resumed->walkComplete());
    EXPECT_EQ(snapshotResults(*resumed), expected);
}

}  // namespace
}  // namespace quarrow::test
