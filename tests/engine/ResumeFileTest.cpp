#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/ResumeFile.h"
#include "engine/SnapshotHeader.h"
#include "engine/TestLists.h"
#include "fixtures/TempDir.h"
#include "platform/FileSystem.h"

using namespace std::string_literals;

namespace quarrow {
namespace {

using Lines = std::vector<std::string>;
using test::toList;

TEST(ResumeFileHeader, NineLinesThenComments) {
    EXPECT_EQ(buildResumeHeader("20240102_030405", "h.example", "/pub/", "*.avi", "/pub/x/", "bob",
                                "secret", 2121, {"note 1", "\xC7\xE0\xEC\xE5\xF2\xEA\xE0"}),
              (Lines{"20240102_030405", "h.example", "/pub/", "*.avi", "/pub/x/", "bob", "secret",
                     "2121", "END_MainFtp_", "note 1", "\xC7\xE0\xEC\xE5\xF2\xEA\xE0"}));
}

TEST(ResumeFileHeader, LoginRulesByHeaderLength) {
    const auto plus = [](const Lines& more) {
        Lines lines{"stamp", "h", "/", "*.*", "/"};
        lines.insert(lines.end(), more.begin(), more.end());
        return lines;
    };
    struct Case {
        const char* what;
        Lines header;
        std::string user, password;
        std::optional<int> port;
    };
    const std::vector<Case> cases = {
        {"no lines", {}, "anonymous", "us@site", 21},
        {"five lines", plus({}), "anonymous", "us@site", 21},
        {"marker in the port line", plus({"u", "p", "END_MainFtp_"}), "u", "p", std::nullopt},
        {"marker then comments", plus({"u", "p", "END_MainFtp_", "c"}), "u", "p", std::nullopt},
        {"eight lines with a port", plus({"u", "p", "990"}), "u", "p", 990},
        {"written header",
         buildResumeHeader("s", "h", "/", "*.*", "/", "Anonymous", "", 2121, {"c1", "c2"}),
         "Anonymous", "", 2121},
        {"port 0", plus({"u", "p", "0", "END_MainFtp_"}), "u", "p", 0},
    };
    for (const Case& c : cases) {
        ResumeLogin login{"old", "old", 1};
        std::string error;
        ASSERT_TRUE(readResumeLogin(c.header, login, &error)) << c.what << ": " << error;
        EXPECT_EQ(login.userName, c.user) << c.what;
        EXPECT_EQ(login.password, c.password) << c.what;
        EXPECT_EQ(login.port, c.port) << c.what;
    }
    for (const Lines& bad :
         {plus({"u"}), plus({"u", "p"}), plus({"u", "p", "x21"}), plus({"u", "p", ""}),
          plus({"u", "p", "65536"}), plus({"u", "p", "-21"}), plus({"u", "p", "21 "})}) {
        ResumeLogin login{"old", "old", 1};
        std::string error;
        EXPECT_FALSE(readResumeLogin(bad, login, &error)) << bad.size();
        EXPECT_EQ(error.rfind("resume file damaged: ", 0), 0u) << error;
        EXPECT_EQ(login.userName, "old");
    }
}

class ResumeFileOnDisk : public ::testing::Test {
protected:
    std::string write(const std::string& bytes) {
        const std::string path = dir.path() + "job.qrsftp";
        EXPECT_TRUE(writeFileAtomic(path, path + "tmp", bytes));
        return path;
    }

    static ResumeData sample() {
        ResumeData data;
        data.header =
            buildResumeHeader("st", "h", "/", "*.*", "/a/", "anonymous", "us@site", 21, {});
        data.dirQueue = {"/", "/a/", "/a b/", "/\xCF\xE0\xEF\xEA\xE0/"};
        data.fileDirs = toList({"/a/", "0", "/a b/", "2", "0"});
        data.fileNames = toList({"1.txt", "2 two.txt", "\xF4.mp3", "", "5"});
        return data;
    }

    test::TempDir dir;
};

TEST_F(ResumeFileOnDisk, FourUncompressedBlocksByteForByte) {
    ResumeData data;
    data.header = {"s"};
    data.fileDirs = toList({"/"});
    data.fileNames = toList({"n"});
    EXPECT_EQ(buildResumeFile(data), "\x02\x03s\r\n\x02\x00\x02\x03/\r\n\x02\x03n\r\n"s);
}

TEST_F(ResumeFileOnDisk, DamagedOrMissingFilesAreReportedAndChangeNothing) {
    const std::string good = buildResumeFile(sample());
    ResumeData shortHeader = sample();
    shortHeader.header.resize(4);
    ResumeData mismatch = sample();
    mismatch.fileNames.truncate(2);
    ResumeData forward = sample();
    forward.fileDirs = toList({"/a/", "3", "/b/", "/c/", "/d/"});
    const std::string cut = good.substr(0, good.size() - 4);
    for (const std::string& bytes : {cut, buildResumeFile(shortHeader), buildResumeFile(mismatch),
                                     buildResumeFile(forward), ""s, "\x04\xF0\xFF\xFF\x7F"s}) {
        ResumeData out;
        out.dirQueue = {"kept"};
        std::string error;
        EXPECT_EQ(readResumeFile(write(bytes), false, out, &error), ResumeReadResult::Damaged);
        EXPECT_EQ(error.rfind("resume file damaged: ", 0), 0u) << error;
        EXPECT_EQ(out.dirQueue, Lines{"kept"});
    }
    ResumeData out = sample();
    EXPECT_EQ(readResumeFile(dir.path() + "none.qrsftp", false, out, nullptr),
              ResumeReadResult::Missing);
    EXPECT_EQ(out.dirQueue.size(), 4u);
    // Reading the header only never looks at the damage further on.
    EXPECT_EQ(readResumeFile(write(cut), true, out, nullptr), ResumeReadResult::Ok);
    EXPECT_EQ(out.header.size(), 9u);
}

}  // namespace
}  // namespace quarrow
