#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <memory>
#include <sstream>

#include "cli/ChildProcess.h"
#include "fixtures/FtpProxy.h"
#include "fixtures/FtpServer.h"
#include "fixtures/TempDir.h"
#include "platform/DateTimeText.h"
#include "platform/FileSystem.h"

namespace quarrow::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kMusicCp1251 = "\xCC\xF3\xE7\xFB\xEA\xE0";  // "Музыка"

// A small tree: *.mp3 files at several depths (one upper-case extension, one Cyrillic folder
// sent as Windows-1251 bytes) and files the mask must leave out.
const std::vector<TreeItem> kTree = {
    {"top.mp3", "x"},
    {"notes.txt", "x"},
    {"a/one.mp3", "x"},
    {"a/skip.txt", "x"},
    {"a/b/two.MP3", "x"},
    {"c/three.mp3", "x"},
    {kMusicCp1251 + "/song.mp3", "x"},
};
const std::vector<std::string> kTreeMp3 = {"/a/b/two.MP3", "/a/one.mp3", "/c/three.mp3", "/top.mp3",
                                           "/Музыка/song.mp3"};

std::vector<std::string> sorted(std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

void writeFile(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(writeFileAtomic(path, path + ".new", bytes)) << path;
}

// The date as the tool stamps file names: dd.mm.yyyy, local time.
std::string today() {
    return formatDate(std::time(nullptr));
}

// A loopback port that nothing listens on: bound once, then released.
int closedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

// Runs quarrow-cli; a hang, a crash or a sanitizer report fails the test whatever it checks.
ChildResult cli(std::vector<std::string> args) {
    args.insert(args.begin(), QUARROW_CLI_PATH);
    ChildResult result = runChild(args);
    EXPECT_FALSE(result.timedOut) << "quarrow-cli hung; stderr:\n" << result.err;
    EXPECT_EQ(result.termSignal, 0) << result.err;
    EXPECT_EQ(result.err.find("Sanitizer"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("runtime error:"), std::string::npos) << result.err;
    return result;
}

// The lines of `dump FILE` with `tag`, tag removed; an "F" line becomes folder + name.
std::vector<std::string> dumpTagged(const std::string& file, const std::string& tag) {
    const ChildResult dump = cli({"dump", file});
    EXPECT_EQ(dump.exitCode, 0) << file << ": " << dump.err;
    std::vector<std::string> found;
    for (std::string line : splitLines(dump.out)) {
        if (!line.starts_with(tag + "\t")) continue;
        line.erase(0, tag.size() + 1);
        if (tag == "F") line.erase(line.find('\t'), 1);
        found.push_back(line);
    }
    return found;
}

TEST(CliUsage, HelpSucceedsAndMalformedCommandLinesExitWithUsageCode) {
    EXPECT_EQ(cli({"--help"}).exitCode, 0);
    const std::vector<std::vector<std::string>> commandLines = {
        {},
        {"frobnicate"},
        {"--program-dir"},
        {"scan"},
        {"scan", "[server=a]", "[server=b]"},
        {"dump"},
        {"dump", "a.qrnet", "b.qrnet"},
        {"resume", "only.qrsftp"},
    };
    for (const auto& args : commandLines) {
        const ChildResult run = cli(args);
        EXPECT_EQ(run.exitCode, 2) << "arguments: " << testing::PrintToString(args);
        EXPECT_NE(run.err.find("--help"), std::string::npos) << run.err;
    }
}

// A program folder with the language files, and a tree served by a real FTP server.
class CliScanTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir() + "TXT");
        for (const auto& entry : fs::directory_iterator(QUARROW_DATA_DIR "/TXT"))
            if (entry.path().extension() == ".lng")
                fs::copy_file(entry.path(), dir() + "TXT/" + entry.path().filename().string());
    }

    void serve(const std::vector<TreeItem>& tree, const FtpServerOptions& options = {}) {
        makeTree(tree_.path(), tree);
        server_ = std::make_unique<FtpServer>(tree_.path(), options);
    }

    std::string dir() const { return program_.path(); }
    std::string target() const {
        return "[server=127.0.0.1][port=" + std::to_string(server_->port()) + "][mask=*.mp3]";
    }
    std::string snapshot() const { return dir() + "Arhive/127.0.0.1_" + today() + ".qrnet"; }
    std::string resumeFile() const {
        return dir() + "Session/127.0.0.1_" + today() + "_127.0.0.1_" + today() + ".qrsftp";
    }
    std::vector<std::string> scanArgs(const std::string& description) const {
        return {"--program-dir", dir(), "scan", description};
    }

    TempDir program_;
    TempDir tree_;
    std::unique_ptr<FtpServer> server_;
};

TEST_F(CliScanTest, WritesSnapshotAndResumeFileOfTheTree) {
    serve(kTree);
    const ChildResult scan = cli(scanArgs(target()));
    ASSERT_EQ(scan.exitCode, 0) << scan.err;
    const auto summary = splitLines(scan.out);
    ASSERT_EQ(summary.size(), 1u) << scan.out;
    EXPECT_TRUE(summary[0].starts_with("job 1: ftp://127.0.0.1/")) << summary[0];
    EXPECT_NE(summary[0].find("files: 5"), std::string::npos) << summary[0];
    EXPECT_EQ(summary[0].find("not walked"), std::string::npos) << summary[0];

    ASSERT_TRUE(fs::exists(snapshot())) << snapshot();
    EXPECT_EQ(sorted(dumpTagged(snapshot(), "F")), sorted(kTreeMp3));
    ASSERT_TRUE(fs::exists(resumeFile())) << resumeFile();
    EXPECT_EQ(sorted(dumpTagged(resumeFile(), "Q")),
              sorted({"/", "/a/", "/a/b/", "/c/", "/Музыка/"}));
}

TEST_F(CliScanTest, LoadFileRunsEachLineAsOneScanNumberedFromOne) {
    serve(kTree);
    const std::string port = std::to_string(server_->port());
    const std::string loadFile = dir() + "servers.txt";
    writeFile(loadFile, "[server=127.0.0.1][port=" + port + "][path=/a][mask=*.mp3]\r\n" +
                            "[path=/c][mask=*.mp3]\r\n" + "[server=127.0.0.1][port=" + port +
                            "][path=c][mask=*.mp3][savefilename=" + dir() +
                            "Arhive/c_%date%.qrnet]\r\n");

    const ChildResult scan = cli(scanArgs("[loadfile=" + loadFile + "]"));
    ASSERT_EQ(scan.exitCode, 0) << scan.err;
    const auto summary = sorted(splitLines(scan.out));
    ASSERT_EQ(summary.size(), 2u) << scan.out;
    EXPECT_TRUE(summary[0].starts_with("job 1: ftp://127.0.0.1/a/")) << summary[0];
    EXPECT_TRUE(summary[1].starts_with("job 3: ftp://127.0.0.1/c/")) << summary[1];

    EXPECT_EQ(sorted(dumpTagged(snapshot(), "F")), sorted({"/a/b/two.MP3", "/a/one.mp3"}));
    const std::string second = dir() + "Arhive/c_" + today() + ".qrnet";
    EXPECT_EQ(dumpTagged(second, "F"), std::vector<std::string>{"/c/three.mp3"});
}

TEST_F(CliScanTest, BadDescriptionsExitWithUsageCodeAndSayWhy) {
    struct Case {
        std::string description;
        std::string named;  // a text the message must contain
    };
    const std::vector<Case> cases = {
        {"[server=127.0.0.1][port=abc]", "abc"},
        {"[server=127.0.0.1][port=70000]", "70000"},
        {"[path=/pub][mask=*.mp3]", "server"},
        {"[loadfile=" + dir() + "no-such-list.txt]", "no-such-list.txt"},
    };
    for (const Case& c : cases) {
        const ChildResult scan = cli(scanArgs(c.description));
        EXPECT_EQ(scan.exitCode, 2) << c.description;
        EXPECT_NE(scan.err.find(c.named), std::string::npos) << c.description << ": " << scan.err;
        EXPECT_TRUE(scan.out.empty()) << c.description << ": " << scan.out;
    }
}

TEST_F(CliScanTest, ServerThatRefusesTheConnectionFailsTheScan) {
    const ChildResult scan =
        cli(scanArgs("[server=127.0.0.1][port=" + std::to_string(closedPort()) + "]"));
    EXPECT_EQ(scan.exitCode, 1) << scan.err;
    EXPECT_NE(scan.out.find("not walked"), std::string::npos) << scan.out;
    EXPECT_NE(scan.out.find("no snapshot"), std::string::npos) << scan.out;
}

TEST_F(CliScanTest, IgnoreListSkipsFoldersAndCommentGoesIntoTheHeader) {
    serve({{"Private/secret.mp3", "x"},
           {"privy.mp3", "x"},
           {"public/song.mp3", "x"},
           {"deep/PRIVATE stuff/hidden.mp3", "x"},
           {"deep/ok.mp3", "x"}});
    writeFile(dir() + "TXT/Ignore.txt", "priv\r\n");
    writeFile(dir() + "TXT/Coment.txt",
              "Mirror kept by the tests\r\n\xC7\xE5\xF0\xEA\xE0\xEB\xEE\r\n");

    const ChildResult scan = cli(scanArgs(target()));
    ASSERT_EQ(scan.exitCode, 0) << scan.err;
    // Folders only: a file whose name starts with an ignored prefix is still listed.
    EXPECT_EQ(sorted(dumpTagged(snapshot(), "F")),
              sorted({"/privy.mp3", "/public/song.mp3", "/deep/ok.mp3"}));
    const auto header = dumpTagged(snapshot(), "H");
    const std::vector<std::string> comment = {"Mirror kept by the tests", "Зеркало"};
    EXPECT_NE(std::search(header.begin(), header.end(), comment.begin(), comment.end()),
              header.end())
        << testing::PrintToString(header);
}

TEST_F(CliScanTest, UnwritableSnapshotStillWalksAndFails) {
    serve(kTree);
    writeFile(dir() + "blocker", "a regular file where a folder is needed");
    const ChildResult scan =
        cli(scanArgs(target() + "[savefilename=" + dir() + "blocker/sub/snap.qrnet]"));
    EXPECT_EQ(scan.exitCode, 1);
    EXPECT_NE(scan.err.find("job 1: error: "), std::string::npos) << scan.err;
    EXPECT_NE(scan.out.find("files: 5"), std::string::npos) << scan.out;
    EXPECT_EQ(scan.out.find("not walked"), std::string::npos) << scan.out;
}

// A slow server (every listing waits) over a dozen folders, interrupted by SIGINT as soon as
// the first resume file has been written; the resume command then finishes the scan.
TEST_F(CliScanTest, SigintLeavesCompleteFilesThatResumeFinishes) {
    std::vector<TreeItem> tree = {{"dir03/inner/deep.mp3", "x"}};
    std::vector<std::string> allMp3 = {"/dir03/inner/deep.mp3"};
    for (int i = 0; i < 10; ++i) {
        const std::string n = "0" + std::to_string(i);
        tree.push_back({"dir" + n + "/f" + n + ".mp3", "x"});
        tree.push_back({"dir" + n + "/f" + n + ".txt", "x"});
        allMp3.push_back("/dir" + n + "/f" + n + ".mp3");
    }
    FtpServerOptions slow;
    slow.listDelaySeconds = 0.3;
    serve(tree, slow);
    std::vector<std::string> args = scanArgs(target());
    args.insert(args.begin(), QUARROW_CLI_PATH);
    ChildProcess child(args);
    ASSERT_TRUE(child.signalWhen(
        SIGINT, [&] { return fs::exists(resumeFile()); }, 15s))
        << "the scan ended or wrote no resume file in time";
    const ChildResult interrupted = child.wait(10s);
    ASSERT_FALSE(interrupted.timedOut) << "no exit after SIGINT; stderr:\n" << interrupted.err;
    ASSERT_EQ(interrupted.exitCode, 130) << interrupted.err;

    for (const auto& file : dumpTagged(snapshot(), "F"))
        EXPECT_NE(std::find(allMp3.begin(), allMp3.end(), file), allMp3.end()) << file;
    EXPECT_FALSE(dumpTagged(resumeFile(), "Q").empty());
    for (const char* folder : {"Arhive", "Session"})
        for (const auto& entry : fs::directory_iterator(dir() + folder))
            EXPECT_FALSE(entry.path().string().ends_with("tmp")) << entry.path();

    const std::string resumed = dir() + "Arhive/resumed.qrnet";
    const ChildResult resume = cli({"--program-dir", dir(), "resume", resumeFile(), resumed});
    ASSERT_EQ(resume.exitCode, 0) << resume.err;
    // The folder being listed when the scan stopped is listed again, so it may appear twice.
    auto found = sorted(dumpTagged(resumed, "F"));
    EXPECT_GE(found.size(), allMp3.size());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    EXPECT_EQ(found, sorted(allMp3));
}

// Every kind of damage is told apart in the format tests; here the tool's answer to one.
TEST_F(CliScanTest, DumpRefusesDamagedOrMissingFiles) {
    serve(kTree);
    ASSERT_EQ(cli(scanArgs(target())).exitCode, 0);
    std::string good, goodResume;
    ASSERT_TRUE(readWholeFile(snapshot(), good) && readWholeFile(resumeFile(), goodResume));
    const std::vector<std::pair<std::string, std::string>> files = {
        {"truncated.qrnet", good.substr(0, good.size() / 2)},
        {"empty.qrnet", ""},
        {"truncated.qrsftp", goodResume.substr(0, goodResume.size() - 3)},
    };
    for (const auto& [name, bytes] : files) writeFile(dir() + name, bytes);
    for (const std::string name :
         {"truncated.qrnet", "empty.qrnet", "truncated.qrsftp", "missing.qrnet"}) {
        const ChildResult dump = cli({"dump", dir() + name});
        EXPECT_EQ(dump.exitCode, 1) << name;
        EXPECT_NE(dump.err.find(name), std::string::npos) << name << ": " << dump.err;
        EXPECT_TRUE(dump.out.empty()) << name << ": " << dump.out;
    }
}

// What the exit code and the summary claim on networks that misbehave: only what happened.
TEST_F(CliScanTest, ExitCodeAndSummaryClaimOnlyWhatHappened) {
    serve(kTree);
    writeFile(dir() + "quarrow.ini", "[Connection]\r\nReconnects=2\r\nReconnectPause=10\r\n");
    struct Case {
        const char* name;
        FtpProxyOptions fault;
        std::string keywords;
        int exitCode;
        std::vector<std::string> said;  // each found on stdout or stderr
    };
    FtpProxyOptions nat, dying;
    nat.dropActive = true;
    dying.closeAfter = 12;
    dying.maxConnections = 1;
    const std::vector<Case> cases = {
        {"behind NAT", nat, "", 0, {"passive mode", "snapshot: " + dir() + "Arhive/"}},
        {"passive asked for", nat, "[passive]", 0, {"snapshot: "}},
        {"server gone for good",
         dying,
         "",
         1,
         {"interrupted, incomplete (", "resume: " + dir() + "Session/", "scan is interrupted"}},
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.name);
        TempDir logs;
        c.fault.log = logs.path() + "commands.log";
        FtpProxy proxy(server_->port(), c.fault);
        const std::string name = dir() + "Arhive/" + std::to_string(proxy.port()) + ".qrnet";
        const ChildResult scan =
            cli(scanArgs("[server=127.0.0.1][port=" + std::to_string(proxy.port()) +
                         "][savefilename=" + name + "]" + c.keywords));
        EXPECT_EQ(scan.exitCode, c.exitCode) << scan.out << scan.err;
        for (const std::string& text : c.said)
            EXPECT_NE((scan.out + scan.err).find(text), std::string::npos) << text << "\n"
                                                                           << scan.out << scan.err;
        if (c.exitCode == 0) {
            EXPECT_EQ(dumpTagged(name, "F").size(), 7u);
        }
        if (!c.keywords.empty()) {
            for (const std::string& command : proxy.commands())
                EXPECT_FALSE(command.starts_with("EPRT") || command.starts_with("PORT"));
        }
    }
}

TEST_F(CliScanTest, AResumeFileThatCannotBeWrittenFailsTheScanNamingIt) {
    serve(kTree);
    fs::remove_all(dir() + "Session");
    writeFile(dir() + "Session", "a regular file where the folder should be");
    const ChildResult scan = cli(scanArgs(target()));
    EXPECT_EQ(scan.exitCode, 1) << scan.out << scan.err;
    EXPECT_NE(scan.out.find("stale resume file: " + resumeFile()), std::string::npos) << scan.out;
    EXPECT_NE(scan.out.find("snapshot: " + snapshot()), std::string::npos) << scan.out;
}

TEST_F(CliScanTest, AProgramFolderWithoutLanguageFilesUsesTheToolsOwn) {
    serve(kTree);
    fs::remove_all(dir() + "TXT");
    const ChildResult scan = cli(scanArgs(target()));
    ASSERT_EQ(scan.exitCode, 0) << scan.err;
    EXPECT_NE(scan.err.find("holds no language file"), std::string::npos) << scan.err;
    // The header's first line tells every reader this is a snapshot of an FTP server.
    EXPECT_NE(dumpTagged(snapshot(), "H").at(0).find("ftp"), std::string::npos);
    EXPECT_EQ(dumpTagged(snapshot(), "F").size(), 5u);
}

}  // namespace
}  // namespace quarrow::test
