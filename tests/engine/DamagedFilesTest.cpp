// Damaged and odd stored files: every reader refuses them with a message and never crashes,
// blocks or reads without bound; quarrow-cli then exits 1 naming the file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/LoadArchives.h"
#include "cli/ChildProcess.h"
#include "engine/ResumeFile.h"
#include "engine/SnapshotContainer.h"
#include "engine/SnapshotFile.h"
#include "engine/TestHelpers.h"
#include "fixtures/TempDir.h"

namespace quarrow {
namespace {

using namespace std::string_literals;
using test::toList;

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

// A zlib stream of `size` zero bytes, deflated a slice at a time.
std::string deflateZeros(std::size_t size) {
    z_stream z{};
    deflateInit(&z, Z_BEST_COMPRESSION);
    std::string zeros(1 << 20, '\0'), out;
    char chunk[1 << 16];
    for (int flush = Z_NO_FLUSH; flush != Z_FINISH;) {
        const std::size_t slice = std::min(size, zeros.size());
        size -= slice;
        flush = size == 0 ? Z_FINISH : Z_NO_FLUSH;
        z.next_in = reinterpret_cast<Bytef*>(zeros.data());
        z.avail_in = static_cast<uInt>(slice);
        do {
            z.next_out = reinterpret_cast<Bytef*>(chunk);
            z.avail_out = sizeof chunk;
            deflate(&z, flush);
            out.append(chunk, sizeof chunk - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return out;
}

// A container stating `length` bytes around a stream that inflates to 64 MiB.
std::string zeroBomb(std::uint32_t length) {
    static const std::string stream = deflateZeros(64 << 20);
    return withU32("\x01\0\0\0\x01\0\0\0bRRRR"s + stream, 9, length);
}

class DamagedFiles : public testing::Test {
protected:
    std::string write(const std::string& name, const std::string& bytes) {
        test::writeRaw(dir.path() + name, bytes);
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

    test::TempDir dir;
};

TEST_F(DamagedFiles, SnapshotReadersRefuseEveryDamageWithAMessage) {
    const std::vector<std::string> header = {"Data ftp://h//", "t", "n", "h", "*.*"};
    const std::string content =
        buildSnapshotContent(header, toList({"/a\tb\\c/", "0"}), toList({"tab\tname", "x"}));
    const std::string good = packSnapshot("s.qrnet", content);  // R at 15, stream from 19
    const auto with = [&](std::size_t at, std::uint32_t value) { return withU32(good, at, value); };
    const auto R = static_cast<std::uint32_t>(content.size());
    std::vector<Row> rows = {
        {"entry count 0", write("count0.qrnet", with(0, 0)), true, "entry count is 0"},
        {"name length", write("name.qrnet", with(4, 0xFFFFFFF0u)), true, "runs past the end"},
        {"length 2 GiB", write("2g.qrnet", with(15, 0x80000000u)), true, "impossible"},
        {"length 4 GiB", write("4g.qrnet", with(15, 0xFFFFFFFFu)), true, "impossible"},
        {"length R+1", write("more.qrnet", with(15, R + 1)), true, "not the stated"},
        {"length R-1", write("less.qrnet", with(15, R - 1)), true, "more than the stated"},
        {"zlib bomb", write("bomb.qrnet", zeroBomb(1 << 20)), true, "more than the stated"},
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
}

TEST_F(DamagedFiles, ResumeReaderRefusesEveryDamageWithAMessage) {
    const std::string good =
        buildResumeFile({{"st", "h", "/", "*.*", "/a/", "u", "p", "21", "END_MainFtp_"},
                         {"/", "/a/"},
                         toList({"/a/", "0"}),
                         toList({"1.txt", "2.txt"})});
    std::vector<Row> rows = {
        {"length 2 GiB", write("2g.qrsftp", "\x04\xFF\xFF\xFF\x7F"s + good), true, "block"}};
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
            EXPECT_EQ(data.dirQueue, std::vector<std::string>{"kept"}) << row.label;
        }
    }
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
        const test::ChildResult result = test::runChild(run.args);
        EXPECT_EQ(result.exitCode, run.exitCode) << run.args.back() << ": " << result.err;
        EXPECT_TRUE(run.out.empty() ? result.out.empty() : result.out.starts_with(run.out))
            << result.out;
        EXPECT_NE(result.err.find(run.err), std::string::npos) << result.err;
    }
}

}  // namespace
}  // namespace quarrow
