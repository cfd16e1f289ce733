#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sstream>

#include "cli/ChildProcess.h"
#include "fixtures/FixtureProcess.h"
#include "fixtures/FtpServer.h"
#include "fixtures/TempDir.h"
#include "platform/FileSystem.h"

namespace quarrow::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The server of tests/fixtures/hostile_ftp.py in one of its modes, while the object lives.
class HostileServer {
public:
    HostileServer(const std::string& mode, bool stat) {
        std::vector<std::string> args = {"--mode", mode};
        if (stat) args.push_back("--stat");
        process_ = startFixtureProcess(QUARROW_FIXTURES_DIR "/hostile_ftp.py", args);
    }
    ~HostileServer() { killFixtureProcess(process_.pid); }
    HostileServer(const HostileServer&) = delete;
    HostileServer& operator=(const HostileServer&) = delete;

    int port() const { return process_.port; }

private:
    FixtureProcess process_;
};

std::size_t fileLines(const std::string& dump) {
    std::size_t files = 0;
    std::istringstream stream(dump);
    for (std::string line; std::getline(stream, line);) files += line.starts_with("F\t");
    return files;
}

// Every mode ends on its own, within the watchdog, with the exit code and summary of what really
// happened and a snapshot holding exactly what could be listed. Each runs with STAT listings on
// the control connection and with LIST over data connections, one listing at a time, so a
// fault strikes at the same point of the walk in every run.
TEST(HostileServer, EveryWalkEndsAndClaimsOnlyWhatHappened) {
    TempDir program;
    fs::create_directories(program.path() + "TXT");
    for (const auto& entry : fs::directory_iterator(QUARROW_DATA_DIR "/TXT"))
        fs::copy_file(entry.path(), program.path() + "TXT/" + entry.path().filename().string());
    const std::string ini =
        "[Connection]\r\nPassive=1\r\nTimeout=2\r\nReconnects=1\r\nReconnectPause=10\r\n"
        "ListingTime=3\r\nParallelListings=1\r\n";
    ASSERT_TRUE(writeFileAtomic(program.path() + "quarrow.ini", program.path() + "ini.new", ini));

    const std::string unlistedB = "incomplete (1 folders not listed)";
    const struct {
        const char* mode;
        int exitCode;
        std::size_t files;  // in the snapshot
        std::vector<std::string> said;
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
            HostileServer server(c.mode, stat);
            const std::string snapshot = program.path() + c.mode + (stat ? "-stat" : "-list");
            const ChildResult scan =
                runChild({QUARROW_CLI_PATH, "--program-dir", program.path(), "scan",
                          "[server=127.0.0.1][port=" + std::to_string(server.port()) +
                              "][mask=*.mp3][savefilename=" + snapshot + "]"},
                         60s);
            ASSERT_FALSE(scan.timedOut) << scan.err;
            EXPECT_EQ(scan.exitCode, c.exitCode) << scan.out << scan.err;
            for (const std::string& text : c.said)
                EXPECT_TRUE(contains(scan.out + scan.err, text)) << text << "\n"
                                                                 << scan.out << scan.err;
            if (c.files == 0) continue;
            const ChildResult dump = runChild({QUARROW_CLI_PATH, "dump", snapshot + ".qrnet"});
            EXPECT_EQ(fileLines(dump.out), c.files) << scan.out << scan.err;
        }
    }
}

// SIGKILL at moments spread over a scan of 6,000 files (about 0.4 s on loopback): whatever is on
// disk afterwards is a complete snapshot and resume file, the previous run's or the new one.
TEST(HostileServer, KillAtAnyMomentLeavesOnlyCompleteFiles) {
    TempDir tree;
    TempDir program;
    std::vector<TreeItem> items;
    for (int folder = 0; folder < 200; ++folder)
        for (int file = 0; file < 30; ++file)
            items.push_back(
                {"d" + std::to_string(folder) + "/f" + std::to_string(file) + ".mp3", ""});
    makeTree(tree.path(), items);
    FtpServer server(tree.path());
    const std::string snapshot = program.path() + "killed";
    for (int moment = 0; moment < 10; ++moment) {
        SCOPED_TRACE("killed after " + std::to_string(moment * 40) + " ms");
        ChildProcess scan({QUARROW_CLI_PATH, "--program-dir", program.path(), "scan",
                           "[server=127.0.0.1][port=" + std::to_string(server.port()) +
                               "][mask=*.mp3][savefilename=" + snapshot + "]"});
        const auto at = std::chrono::steady_clock::now() + std::chrono::milliseconds(moment * 40);
        scan.signalWhen(
            SIGKILL, [&] { return std::chrono::steady_clock::now() >= at; }, 10s);
        scan.wait();
        std::vector<std::string> written = {snapshot + ".qrnet"};
        if (fs::exists(program.path() + "Session"))
            for (const auto& entry : fs::directory_iterator(program.path() + "Session"))
                if (entry.path().extension() == ".qrsftp") written.push_back(entry.path().string());
        for (const std::string& file : written) {
            if (!fs::exists(file)) continue;
            const ChildResult dump = runChild({QUARROW_CLI_PATH, "dump", file});
            EXPECT_EQ(dump.exitCode, 0) << file << ": " << dump.err;
        }
    }
}

}  // namespace
}  // namespace quarrow::test
