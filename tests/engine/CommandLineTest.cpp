#include <gtest/gtest.h>

#include "engine/CommandLine.h"
#include "engine/EngineContext.h"
#include "platform/DateTimeText.h"

namespace quarrow {
namespace {

using Lines = std::vector<std::string>;

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

TEST(KeywordValue, TakesTheFirstOccurrenceUpToTheBracket) {
    EXPECT_EQ(KeywordValue("x[path=/a][path=/b]", "[path="), "/a");
    EXPECT_EQ(KeywordValue("[path=/open", "[path="), "/open");
    EXPECT_EQ(KeywordValue("[Path=/a]", "[path="), std::nullopt);
    EXPECT_EQ(KeywordValue("[path=]", "[path="), "");
}

TEST(CommandLineFill, FillsTheJobWithDefaultsAndNormalisedValues) {
    EngineContext context{"/prog/"};
    const std::string day = "05.12.2026";
    const struct {
        std::string description;
        // Server, path, mask, port, snapshot base, resume base, recursive.
        Lines fields;
    } cases[] = {
        {"[server=server1][path=/pub/music][mask=*.mp3][hide]",
         {"server1", "/pub/music/", "*.MP3", "21", "/prog/Arhive/server1_" + day,
          "/prog/Session/server1_" + day + "_server1_" + day, "1"}},
        {"[server=h][path=pub][mask=.ogg][port=2121]",
         {"h", "/pub/", "*.OGG", "2121", "/prog/Arhive/h_" + day,
          "/prog/Session/h_" + day + "_h_" + day, "1"}},
        {"[server=ftp://h][path=][mask=][nodirchild]",
         {"h", "/", "*.*", "21", "/prog/Arhive/h_" + day, "/prog/Session/h_" + day + "_h_" + day,
          "0"}},
        // Only a lower-case prefix is removed; a slash in the server makes no folder.
        {"[server=FTP://s]",
         {"FTP://s", "/", "*.*", "21", "/prog/Arhive/FTP:__s_" + day,
          "/prog/Session/FTP:__s_" + day + "_FTP:__s_" + day, "1"}},
        {"[server=s][savefilename=/out/list_%date%.qrnet]",
         {"s", "/", "*.*", "21", "/out/list_" + day, "/prog/Session/list_" + day + "_s_" + day,
          "1"}},
        {"[server=s][savefilename=res_%date%]",
         {"s", "/", "*.*", "21", "res_05.12", "/prog/Session/res_05.12_s_" + day, "1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        TFtpMain job;
        std::string error;
        ASSERT_EQ(FillJobFromDescription(context, job, c.description, fifthOfDecember(), error),
                  FillResult::Filled);
        EXPECT_EQ((Lines{job.Server, job.Path, job.Mask, std::to_string(job.Port), job.SnapshotBase,
                         job.ResumeBase, job.Recursive ? "1" : "0"}),
                  c.fields);
        EXPECT_EQ(job.CurrentDir, job.Path);
        EXPECT_EQ((Lines{job.UserName, job.Password, job.StartStamp}),
                  (Lines{"anonymous", "us@site", day}));
        EXPECT_EQ(job.TextExport, 0);
    }
    TFtpMain job;
    std::string error;
    ASSERT_EQ(FillJobFromDescription(context, job, "[server=s][mask=*.mp3]", 0, error),
              FillResult::Filled);
    EXPECT_EQ(job.Extensions, Lines{".MP3"});
    for (const char* bad : {"[server=s][port=abc]", "[server=s][port=]", "[server=s][port=-21]"})
        EXPECT_EQ(FillJobFromDescription(context, job, bad, 0, error), FillResult::BadPort) << bad;
    EXPECT_NE(error.find("-21"), std::string::npos) << error;
    // A whole number out of range is no error of the line: that scan alone fails to connect.
    for (const auto& [line, port] :
         std::vector<std::pair<const char*, int>>{{"[server=s][port=0]", 0},
                                                  {"[server=s][port=000021]", 21},
                                                  {"[server=s][port=70000]", 70000}}) {
        ASSERT_EQ(FillJobFromDescription(context, job, line, 0, error), FillResult::Filled) << line;
        EXPECT_EQ(job.Port, port) << line;
    }
    EXPECT_EQ(FillJobFromDescription(context, job, "[path=/x]", 0, error), FillResult::NoServer);
}

}  // namespace
}  // namespace quarrow
