#include <gmock/gmock.h>

#include <csignal>
#include <filesystem>

#include "cli/ChildProcess.h"
#include "engine/TestHelpers.h"

namespace quarrow::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Every mode ends within the watchdog with the exit code and summary of what happened and a
// snapshot of exactly what could be listed, over STAT and over LIST, one listing at a time so a
// fault strikes at the same point in every run.
TEST(HostileServer, EveryWalkEndsAndClaimsOnlyWhatHappened) {
    TempDir program;
    copyLanguageFiles(program.path());
    writeRaw(program.path() + "quarrow.ini",
             "[Connection]\r\nPassive=1\r\nTimeout=2\r\nReconnects=1\r\nReconnectPause=10\r\n"
             "ListingTime=3\r\nParallelListings=1\r\n");

    const std::string unlistedB = "incomplete (1 folders not listed)";
    const struct {
        const char* mode;
        int exitCode;
        std::size_t files;  // in the snapshot
        Lines said;
    } cases[] = {
        {"normal", 0, 3, {}},
        // "/", then 256 levels of "loop/", each with one file; the 257th level is not entered.
        {"loop", 0, 257, {"1 folders too deep, not entered", "not entered; the first: /loop/"}},
        {"flood", 1, 2, {unlistedB, "passed the limits", "(too long, too many"}},
        {"drip", 1, 2, {unlistedB, "passed the limits"}},
        {"dropmid", 1, 2, {unlistedB}},
        {"dropmid-once", 0, 3, {"lost and restored"}},
        {"cutline", 1, 2, {unlistedB}},
        {"silent", 1, 2, {"interrupted, incomplete (", "resume: "}},
        {"closehello", 1, 0, {"not walked", "no snapshot"}},
        // Garbage and half lines dropped; 4 GiB and over-64-bit sizes and a 10,000-byte name kept.
        {"garbage", 0, 6, {}},
        {"many", 0, 100002, {}},
    };
    for (const auto& c : cases) {
        for (const bool stat : {true, false}) {
            SCOPED_TRACE(std::string(c.mode) + (stat ? " over STAT" : " over LIST"));
            FixtureServer server(stat ? Lines{"hostile", "--mode", c.mode, "--stat"}
                                      : Lines{"hostile", "--mode", c.mode});
            const std::string snapshot = program.path() + c.mode + (stat ? "-stat" : "-list");
            const ChildResult scan =
                runCli({"--program-dir", program.path(), "scan",
                        loopback(server.port()) + "[mask=*.mp3][savefilename=" + snapshot + "]"},
                       60s);
            EXPECT_EQ(scan.exitCode, c.exitCode) << scan.out << scan.err;
            for (const std::string& text : c.said)
                EXPECT_THAT(scan.out + scan.err, testing::HasSubstr(text));
            if (c.files == 0) continue;
            EXPECT_EQ(dumped(snapshot + ".qrnet", 'F').size(), c.files);
        }
    }
}

// SIGKILL at moments spread over a scan of 6,000 files (about 0.4 s on loopback): whatever is on
// disk afterwards is a complete snapshot and resume file, the previous run's or the new one.
TEST(HostileServer, KillAtAnyMomentLeavesOnlyCompleteFiles) {
    TempDir tree;
    TempDir program;
    makeTree(tree.path(), folderTree(200, 30));
    FtpServer server(tree.path());
    const std::string snapshot = program.path() + "killed";
    for (int moment = 0; moment < 10; ++moment) {
        SCOPED_TRACE("killed after " + std::to_string(moment * 40) + " ms");
        ChildProcess scan(
            {QUARROW_CLI_PATH, "--program-dir", program.path(), "scan",
             loopback(server.port()) + "[mask=*.mp3][savefilename=" + snapshot + "]"});
        const auto at = std::chrono::steady_clock::now() + std::chrono::milliseconds(moment * 40);
        scan.signalWhen(
            SIGKILL, [&] { return std::chrono::steady_clock::now() >= at; }, 10s);
        scan.wait();
        Lines written = {snapshot + ".qrnet"};
        if (fs::exists(program.path() + "Session"))
            for (const auto& entry : fs::directory_iterator(program.path() + "Session"))
                if (entry.path().extension() == ".qrsftp") written.push_back(entry.path().string());
        for (const std::string& file : written)
            EXPECT_TRUE(!fs::exists(file) || runCli({"dump", file}).exitCode == 0) << file;
    }
}

}  // namespace
}  // namespace quarrow::test
