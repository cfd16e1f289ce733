// How a scan is set up: from the window's entries, from a command line, and its mask.
#include <gtest/gtest.h>

#include <optional>

#include "engine/CommandLine.h"
#include "engine/EngineContext.h"
#include "engine/Masks.h"
#include "engine/ScanStart.h"
#include "platform/Cp1251.h"
#include "platform/DateTimeText.h"

namespace quarrow {
namespace {

using Lines = std::vector<std::string>;

// All entry texts at once, so one expectation shows every field that differs.
std::vector<std::string> textsOf(const ScanEntries& e) {
    return {e.server, e.path, e.mask, e.userName, e.password, e.port};
}

TEST(ScanStartTest, EntriesAreWrittenBackNormalisedOrRefusedUntouched) {
    // Nothing written back: a server of only the URL prefix starts nothing.
    const std::pair<ScanEntries, std::optional<ScanEntries>> cases[] = {
        {{"  ftp://host  ", "", "", "", "pw", ""}, {{"host", "/", "*.*", "anonymous", "pw", ""}}},
        {{"FTP://host", "pub", ".mp3", "me", "", "21"},
         {{"FTP://host", "/pub/", "*.mp3", "me", "", "21"}}},
        {{"host", "/pub", "*.ogg", " ", "", ""}, {{"host", "/pub/", "*.ogg", "anonymous", "", ""}}},
        {{"host", "pub/music/", "mp3*.ogg", "u", "", ""},
         {{"host", "/pub/music/", "*mp3*.ogg", "u", "", ""}}},
        {{"host", " pub ", "  ", "u", "", ""}, {{"host", "/pub/", "*.*", "u", "", ""}}},
        {{"host", "/", "*.*", "u", "", ""}, {{"host", "/", "*.*", "u", "", ""}}},
        {{"ftp://", "pub", "", "", "", ""}, std::nullopt},
        {{"  ftp://  ", "pub", "", "", "", ""}, std::nullopt},
        {{"", "pub", "", "", "", ""}, std::nullopt},
        {{"   ", "pub", "", "", "", ""}, std::nullopt},
    };
    for (const auto& [typed, written] : cases) {
        ScanEntries entries = typed;
        EXPECT_EQ(NormaliseScanEntries(entries), written.has_value()) << "'" << typed.server << "'";
        EXPECT_EQ(textsOf(entries), textsOf(written.value_or(typed)));
    }
}

TEST(ScanStartTest, PortTextIsANumberOrEmpty) {
    EXPECT_EQ(StartPort(""), 21);
    EXPECT_EQ(StartPort("  "), 21);
    EXPECT_EQ(StartPort(" 2121 "), 2121);
    for (const char* bad : {"abc", "21a", "70000", "0"}) EXPECT_FALSE(StartPort(bad)) << bad;
}

class ScanStartJobTest : public ::testing::Test {
protected:
    EngineContext context{"/prog/"};
};

TEST_F(ScanStartJobTest, DuplicateIsAConnectedJobWithTheSameServerFolderAndMask) {
    const auto addJob = [&](const char* server, const char* path, const char* mask,
                            bool connected) {
        const auto job = context.Jobs.at(context.Jobs.add());
        job->Server = server;
        job->Path = path;
        job->Mask = mask;
        job->Connected.store(connected);
    };
    addJob("host", "/pub/", "*.MP3", false);
    addJob("HOST", "/pub/", "*.MP3", true);
    addJob("host", "/pub/", "*.MP3", true);

    EXPECT_EQ(FindDuplicateScan(context.Jobs, {" host ", "/pub/ ", "*.MP3", "", "", ""}), 2);
    EXPECT_FALSE(FindDuplicateScan(context.Jobs, {"host", "/pub/", "*.mp3", "", "", ""}));
    EXPECT_FALSE(FindDuplicateScan(context.Jobs, {"host", "/pub", "*.MP3", "", "", ""}));
    context.Jobs.at(2)->Connected.store(false);
    EXPECT_FALSE(FindDuplicateScan(context.Jobs, {"host", "/pub/", "*.MP3", "", "", ""}));
}

TEST_F(ScanStartJobTest, JobIsFilledFromTheEntriesAndTheSaveDialog) {
    const auto job = context.Jobs.at(context.Jobs.add());
    const ScanEntries entries{"ftp.example.org", "/pub/", "*.mp3*.ogg ", " me ", " pw ", "2121"};
    const std::time_t now = 1'700'000'000;
    FillJobFromEntries(context, *job, entries, 2121,
                       {"/home/u/Music.list.qrnet", 1, "Opera ", false, now});

    EXPECT_EQ((Lines{job->StartStamp, job->Server, job->currentDir(), job->Mask,
                     std::to_string(job->Port), job->SaveFileName, job->SnapshotBase,
                     job->ResumeBase, job->UserName, job->Password, job->Ident}),
              (Lines{formatStamp(now), "ftp.example.org", "/pub/", "*.MP3*.OGG", "2121",
                     "/home/u/Music.list.qrnet", "/home/u/Music.list",
                     "/prog/Session/Music.list_ftp.example.org_" + formatStamp(now), "me", "pw",
                     "Opera "}));
    EXPECT_EQ(job->Extensions, (Lines{".MP3", ".OGG"}));
    EXPECT_FALSE(job->Recursive);
    EXPECT_EQ(job->TextExport, 1);
    EXPECT_EQ(ServerLogLine(*job, " me ", " pw "),
              "ftp.example.org  /pub/  *.MP3*.OGG   me    pw ");
}

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

using List = std::vector<std::string>;

TEST(BuildExtensions, SplitsAtStarsAndTrims) {
    EXPECT_EQ(BuildExtensions("*.MP3*.OGG"), (List{".MP3", ".OGG"}));
    EXPECT_EQ(BuildExtensions("*.MP3 *.OGG "), (List{".MP3", ".OGG"}));
    EXPECT_EQ(BuildExtensions("JUNK*.AVI"), (List{".AVI"}));
    EXPECT_EQ(BuildExtensions(" *.* "), (List{"*.*"}));
    EXPECT_EQ(BuildExtensions("*"), List{});
    EXPECT_EQ(BuildExtensions("*.MP3;*.OGG"), (List{".MP3;", ".OGG"}));
    EXPECT_EQ(BuildExtensions("*.A*.BC"), (List{".A", ".BC"}));
    EXPECT_EQ(BuildExtensions("*.MP3*X"), (List{".MP3"}));  // one character after a star is no mask
}

struct MatchCase {
    const char* name;
    const char* mask;
    bool matches;
};

// Names shorter than four characters never match an extension (".mp").
TEST(MatchesMask, FollowsTheExtensionRule) {
    const MatchCase cases[] = {
        {"track.mp3", "*.MP3", true},  {"a.mp3", "*.MP3", true},
        {"a.mp", "*.MP3", false},      {"abcde.mp", "*.MP", true},
        {"ab.mp", "*.MP3", false},     {"mp3", "*.MP3", false},
        {"x.ogg", "*.MP3*.OGG", true}, {"x.ogg.txt", "*.OGG", false},
        {"noext", "*.", true},         {"noext", "*", true},
        {"a.b", "*.*", true},          {"dir.mp3\\x", "*.MP3", false},
        {"c:x.mp3:y", "*.MP3", false}, {"track.MP3", "*.mp3", false},
        {".mp", "*.MP", false},        {"x.mp", "*.MP", true},
    };
    for (const auto& c : cases) {
        const std::string mask = c.mask;
        EXPECT_EQ(MatchesMask(c.name, mask, BuildExtensions(mask)), c.matches)
            << c.name << " against " << c.mask;
    }
}

TEST(MatchesMask, FoldsCyrillicExtensions) {
    const std::string mask = upperCp1251(utf8ToCp1251("*.фото"));
    EXPECT_TRUE(MatchesMask(utf8ToCp1251("Отпуск.Фото"), mask, BuildExtensions(mask)));
    EXPECT_FALSE(MatchesMask(utf8ToCp1251("Отпуск.фот"), mask, BuildExtensions(mask)));
}

}  // namespace
}  // namespace quarrow
