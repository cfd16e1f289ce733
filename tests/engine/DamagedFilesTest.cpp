// Damaged and odd stored files: every reader refuses them with a message and never crashes,
// blocks or reads without bound; quarrow-cli then exits 1 naming the file.
#include <sys/stat.h>
#include <zlib.h>

#include <cstdint>
#include <filesystem>

#include "archive/LoadArchives.h"
#include "cli/ChildProcess.h"
#include "engine/ResumeFile.h"
#include "engine/SnapshotContainer.h"
#include "engine/SnapshotFile.h"
#include "engine/TestHelpers.h"

namespace quarrow::test {
namespace {

using namespace std::string_literals;

struct Row {
    std::string label;
    std::string path;
    bool mustFail;
    std::string expect;  // part of the message, when the damage is known
};

std::string withU32(std::string file, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return file;
}

// A container stating `length` bytes around a stream that inflates to 64 MiB.
std::string zeroBomb(std::uint32_t length) {
    static const std::string stream = [] {
        const std::string zeros(64 << 20, '\0');
        std::string out(compressBound(zeros.size()), '\0');
        uLongf size = out.size();
        compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(zeros.data()), zeros.size(), Z_BEST_COMPRESSION);
        out.resize(size);
        return out;
    }();
    return withU32("\x01\0\0\0\x01\0\0\0bRRRR"s + stream, 9, length);
}

class DamagedFiles : public testing::Test {
protected:
    std::string write(const std::string& name, const std::string& bytes) {
        writeRaw(dir.path() + name, bytes);
        return dir.path() + name;
    }
    // A cut at every offset and a flipped byte at every offset; `firstSure` is where a flip
    // can no longer be harmless.
    void mutate(std::vector<Row>& rows, const std::string& good, const std::string& ext,
                std::size_t firstSure, const std::string& kind) {
        for (std::size_t at = 0; at < good.size(); ++at) {
            const std::string n = std::to_string(at);
            rows.push_back({"cut at " + n, write("cut" + n + ext, good.substr(0, at)), true, kind});
            std::string flipped = good;
            flipped[at] = static_cast<char>(~flipped[at]);
            rows.push_back({"flip at " + n, write("flip" + n + ext, flipped), at >= firstSure, ""});
        }
    }
    // What is not a regular file is refused by both readers alike.
    void oddPaths(std::vector<Row>& rows) {
        std::filesystem::create_directories(dir.path() + "folder");
        ASSERT_EQ(::mkfifo((dir.path() + "fifo").c_str(), 0600), 0);
        std::filesystem::create_symlink("/dev/zero", dir.path() + "zero");
        for (const char* odd : {"folder", "fifo", "zero"})
            rows.push_back({odd, dir.path() + odd, true, "not a regular file"});
    }

    TempDir dir;
};

TEST_F(DamagedFiles, SnapshotReadersRefuseEveryDamageWithAMessage) {
    const Lines header = {"Data ftp://h//", "t", "n", "h", "*.*"};
    const std::string content =
        buildSnapshotContent(header, toList({"/a\tb\\c/", "0"}), toList({"tab\tname", "x"}));
    const std::string good = packSnapshot("s.qrnet", content);  // R at 15, stream from 19
    const auto with = [&](std::size_t at, std::uint32_t value) { return withU32(good, at, value); };
    const auto R = static_cast<std::uint32_t>(content.size());
    const auto snapshot = [&](const std::string& name, const Lines& dirs, const Lines& names) {
        return write(name,
                     packSnapshot("s", buildSnapshotContent(header, toList(dirs), toList(names))));
    };
    std::vector<Row> rows = {
        {"entry count 0", write("count0.qrnet", with(0, 0)), true, "entry count is 0"},
        {"name length", write("name.qrnet", with(4, 0xFFFFFFF0u)), true, "runs past the end"},
        {"length 2 GiB", write("2g.qrnet", with(15, 0x80000000u)), true, "impossible"},
        {"length 4 GiB", write("4g.qrnet", with(15, 0xFFFFFFFFu)), true, "impossible"},
        {"length R+1", write("more.qrnet", with(15, R + 1)), true, "not the stated"},
        {"length R-1", write("less.qrnet", with(15, R - 1)), true, "more than the stated"},
        {"zlib bomb", write("bomb.qrnet", zeroBomb(1 << 20)), true, "more than the stated"},
        {"fewer names", snapshot("fewer.qrnet", {"/", "0"}, {"x"}), true, "snapshot damaged: "},
        {"forward reference", snapshot("forward.qrnet", {"/", "2", "/b/"}, {"x", "y", "z"}), true,
         "snapshot damaged: "},
    };
    mutate(rows, good, ".qrnet", 19, "snapshot damaged");
    for (std::size_t at = 0; at < content.size(); ++at) {
        const std::string name = "content" + std::to_string(at) + ".qrnet";
        rows.push_back({"content cut at " + std::to_string(at),
                        write(name, packSnapshot("s", content.substr(0, at))), true,
                        "snapshot damaged"});
    }
    oddPaths(rows);
    for (const Row& row : rows) {
        SnapshotData data;
        data.entryName = "kept";
        std::string error;
        const bool ok = readSnapshotFile(row.path, data, &error);
        EXPECT_FALSE(ok && row.mustFail) << row.label;
        if (ok) {
            ASSERT_EQ(data.dirs.size(), data.names.size()) << row.label;
            for (std::size_t i = 0; i < data.dirs.size(); ++i) {
                std::string_view folder;
                EXPECT_TRUE(resolveFolder(data.dirs, i, folder)) << row.label;
            }
        } else {
            EXPECT_TRUE(!error.empty() && error.find(row.expect) != std::string::npos)
                << row.label << ": " << error;
            EXPECT_EQ(data.entryName, "kept") << row.label;
        }
        const ArchiveLoadResult loaded = LoadArchiveFiles({row.path});
        EXPECT_EQ(loaded.error.empty(), ok) << row.label << ": " << loaded.error;
        EXPECT_TRUE(ok || loaded.error.find(row.path) != std::string::npos) << loaded.error;
    }
    // Bytes after the three blocks are no damage.
    SnapshotData data;
    EXPECT_TRUE(
        readSnapshotFile(write("extra.qrnet", packSnapshot("s", content + "x")), data, nullptr));
}

TEST_F(DamagedFiles, ResumeReaderRefusesEveryDamageWithAMessage) {
    const Lines header = {"st", "h", "/", "*.*", "/a/", "u", "p", "21", "END_MainFtp_"};
    const auto resume = [&](const std::string& name, Lines lines, const Lines& dirs,
                            const Lines& names) {
        return write(
            name, buildResumeFile({std::move(lines), {"/", "/a/"}, toList(dirs), toList(names)}));
    };
    const std::string good =
        *bytesOf(resume("good.qrsftp", header, {"/a/", "0"}, {"1.txt", "2.txt"}));
    const std::string kind = "resume file damaged: ";
    std::vector<Row> rows = {
        {"length 2 GiB", write("2g.qrsftp", "\x04\xFF\xFF\xFF\x7F"s + good), true, "block"},
        {"short header", resume("short.qrsftp", {"st", "h", "/", "*.*"}, {"/a/"}, {"1"}), true,
         kind},
        {"fewer names", resume("fewer.qrsftp", header, {"/a/", "0"}, {"1"}), true, kind},
        {"forward reference",
         resume("forward.qrsftp", header, {"/a/", "2", "/b/"}, {"1", "2", "3"}), true, kind}};
    mutate(rows, good, ".qrsftp", good.size(), "resume file damaged");
    oddPaths(rows);
    for (const Row& row : rows) {
        ResumeData data;
        data.dirQueue = {"kept"};
        std::string error;
        const ResumeReadResult read = readResumeFile(row.path, false, data, &error);
        EXPECT_NE(read, ResumeReadResult::Missing) << row.label;
        EXPECT_FALSE(row.mustFail && read != ResumeReadResult::Damaged) << row.label;
        if (read == ResumeReadResult::Ok) {
            EXPECT_GE(data.header.size(), 5u) << row.label;
            EXPECT_EQ(data.fileDirs.size(), data.fileNames.size()) << row.label;
        } else {
            EXPECT_TRUE(!error.empty() && error.find(row.expect) != std::string::npos)
                << row.label << ": " << error;
            EXPECT_EQ(data.dirQueue, Lines{"kept"}) << row.label;
        }
    }
    ResumeData data;
    data.dirQueue = {"kept"};
    EXPECT_EQ(readResumeFile(dir.path() + "none.qrsftp", false, data, nullptr),
              ResumeReadResult::Missing);
    EXPECT_EQ(data.dirQueue, Lines{"kept"});
    // Reading the header only never looks at the damage further on.
    const std::string cut = write("cut.qrsftp", good.substr(0, good.size() - 4));
    EXPECT_EQ(readResumeFile(cut, true, data, nullptr), ResumeReadResult::Ok);
    EXPECT_EQ(data.header, header);
}

TEST_F(DamagedFiles, CliExitsOneNamingTheFileAndEscapesFields) {
    const std::string cli = QUARROW_CLI_PATH;
    const std::string good = write(
        "tab.qrnet", packSnapshot("t", buildSnapshotContent({"ftp:\\h"}, toList({"/a\tb\\c/"}),
                                                            toList({"tab\tname"}))));
    std::filesystem::create_directories(dir.path() + "folder.qrnet");
    const auto resumeWithPort = [&](const std::string& port) {
        ResumeData data;
        data.header = {"st", "h", "/", "*.*", "/", "u", "p", port, "END_MainFtp_"};
        return write("port" + port + ".qrsftp", buildResumeFile(data));
    };
    const std::string kPort = "resume file damaged: port line";
    const std::string bomb = write("bomb.qrnet", zeroBomb(64 << 20));
    const std::string limited = "ulimit -v 65536 && exec \"$0\" dump \"$1\"";
    struct Run {
        std::vector<std::string> args;
        int exitCode;
        std::string out, err;  // the start of stdout ("" when nothing), part of stderr
    };
    const std::vector<Run> runs = {
        {{cli, "dump", good}, 0, "H\tftp:\\\\h\nF\t/a\\tb\\\\c/\ttab\\tname\n", ""},
        {{cli, "dump", dir.path() + "folder.qrnet"}, 1, "", "folder.qrnet: "},
        {{cli, "search", dir.path() + "folder.qrnet", "--", "x"}, 1, "{", "folder.qrnet: "},
        {{cli, "dump", dir.path() + "missing.qrnet"}, 1, "", "missing.qrnet: "},
        {{cli, "dump", write("cut.qrsftp", "\x02\x05st")}, 1, "", "cut.qrsftp: resume file"},
        {{cli, "--program-dir", dir.path(), "resume", resumeWithPort("0"), "n"}, 1, "", kPort},
        {{cli, "--program-dir", dir.path(), "resume", resumeWithPort("x"), "n"}, 1, "", kPort},
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
        // Sanitizers reserve more address space than this limit allows.
        {{"/bin/sh", "-c", limited, cli, bomb}, 1, "", "bomb.qrnet: not enough memory"},
#endif
    };
    for (const Run& run : runs) {
        const ChildResult result = runChild(run.args);
        EXPECT_EQ(result.exitCode, run.exitCode) << run.args.back() << ": " << result.err;
        EXPECT_TRUE(run.out.empty() ? result.out.empty() : result.out.starts_with(run.out))
            << result.out;
        EXPECT_NE(result.err.find(run.err), std::string::npos) << result.err;
    }
}

}  // namespace
}  // namespace quarrow::test
