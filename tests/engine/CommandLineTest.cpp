#include <gtest/gtest.h>

#include "engine/CommandLine.h"
#include "engine/EngineContext.h"
#include "platform/DateTimeText.h"

namespace quarrow {
namespace {

// 5 December 2026, noon local time.
std::time_t fifthOfDecember() {
    std::tm tm{};
    tm.tm_year = 2026 - 1900;
    tm.tm_mon = 11;
    tm.tm_mday = 5;
    tm.tm_hour = 12;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

class CommandLineFill : public ::testing::Test {
protected:
    FillResult fill(const std::string& description) {
        error.clear();
        return FillJobFromDescription(context, job, description, fifthOfDecember(), error);
    }

    EngineContext context{"/prog/"};
    TFtpMain job;
    std::string error;
};

TEST(KeywordValue, TakesTheFirstOccurrenceUpToTheBracket) {
    EXPECT_EQ(KeywordValue("x[path=/a][path=/b]", "[path="), "/a");
    EXPECT_EQ(KeywordValue("[path=/open", "[path="), "/open");
    EXPECT_EQ(KeywordValue("[Path=/a]", "[path="), std::nullopt);
    EXPECT_EQ(KeywordValue("[path=]", "[path="), "");
}

TEST_F(CommandLineFill, AppliesDefaultsAndNormalisation) {
    ASSERT_EQ(fill("[server=server1][path=/pub/music][mask=*.mp3][hide]"), FillResult::Filled);
    EXPECT_EQ(job.Server, "server1");
    EXPECT_EQ(job.Path, "/pub/music/");
    EXPECT_EQ(job.CurrentDir, "/pub/music/");
    EXPECT_EQ(job.Mask, "*.MP3");
    EXPECT_EQ(job.Extensions, std::vector<std::string>{".MP3"});
    EXPECT_EQ(job.Port, 21);
    EXPECT_EQ(job.UserName, "anonymous");
    EXPECT_EQ(job.Password, "us@site");
    EXPECT_EQ(job.StartStamp, "05.12.2026");
    EXPECT_EQ(job.SnapshotBase, "/prog/Arhive/server1_05.12.2026");
    EXPECT_EQ(job.ResumeBase, "/prog/Session/server1_05.12.2026_server1_05.12.2026");
    EXPECT_TRUE(job.Recursive);
    EXPECT_EQ(job.TextExport, 0);
}

TEST_F(CommandLineFill, NormalisesPathAndMaskLikeTheScannerPage) {
    ASSERT_EQ(fill("[server=h][path=pub][mask=.ogg]"), FillResult::Filled);
    EXPECT_EQ(job.Path, "/pub/");
    EXPECT_EQ(job.Mask, "*.OGG");
    ASSERT_EQ(fill("[server=h][path=][mask=]"), FillResult::Filled);
    EXPECT_EQ(job.Path, "/");
    EXPECT_EQ(job.Mask, "*.*");
    ASSERT_EQ(fill("[server=h][nodirchild]"), FillResult::Filled);
    EXPECT_FALSE(job.Recursive);
}

TEST_F(CommandLineFill, RemovesOnlyALowerCaseFtpPrefix) {
    ASSERT_EQ(fill("[server=ftp://server1]"), FillResult::Filled);
    EXPECT_EQ(job.Server, "server1");
    ASSERT_EQ(fill("[server=FTP://server1]"), FillResult::Filled);
    EXPECT_EQ(job.Server, "FTP://server1");
    // The server is part of file names: a slash must not turn into a folder of its own.
    EXPECT_EQ(job.ResumeBase, "/prog/Session/FTP:__server1_05.12.2026_FTP:__server1_05.12.2026");
}

TEST_F(CommandLineFill, ExpandsDateAndDropsTheExtensionOfTheSaveName) {
    ASSERT_EQ(fill("[server=s][savefilename=/out/list_%date%.qrnet]"), FillResult::Filled);
    EXPECT_EQ(job.SnapshotBase, "/out/list_05.12.2026");
    EXPECT_EQ(job.ResumeBase, "/prog/Session/list_05.12.2026_s_05.12.2026");
    ASSERT_EQ(fill("[server=s][savefilename=res_%date%]"), FillResult::Filled);
    EXPECT_EQ(job.SnapshotBase, "res_05.12");
}

TEST_F(CommandLineFill, RefusesPortsThatAreNotWholeNumbers) {
    EXPECT_EQ(fill("[server=s][port=abc]"), FillResult::BadPort);
    EXPECT_NE(error.find("abc"), std::string::npos);
    EXPECT_EQ(fill("[server=s][port=]"), FillResult::BadPort);
    EXPECT_EQ(fill("[server=s][port=70000]"), FillResult::BadPort);
    ASSERT_EQ(fill("[server=s][port=2121]"), FillResult::Filled);
    EXPECT_EQ(job.Port, 2121);
    EXPECT_EQ(fill("[path=/x]"), FillResult::NoServer);
}

}  // namespace
}  // namespace quarrow
