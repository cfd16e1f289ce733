#include <gtest/gtest.h>

#include "engine/EngineContext.h"
#include "engine/ScanStart.h"
#include "platform/DateTimeText.h"

namespace quarrow::test {
namespace {

// All entry texts at once, so one expectation shows every field that differs.
std::vector<std::string> textsOf(const ScanEntries& e) {
    return {e.server, e.path, e.mask, e.userName, e.password, e.port};
}

TEST(ScanStartTest, EntriesAreWrittenBackNormalised) {
    const std::pair<ScanEntries, ScanEntries> cases[] = {
        {{"  ftp://host  ", "", "", "", "pw", ""}, {"host", "/", "*.*", "anonymous", "pw", ""}},
        {{"FTP://host", "pub", ".mp3", "me", "", "21"},
         {"FTP://host", "/pub/", "*.mp3", "me", "", "21"}},
        {{"host", "/pub", "*.ogg", " ", "", ""}, {"host", "/pub/", "*.ogg", "anonymous", "", ""}},
        {{"host", "pub/music/", "mp3*.ogg", "u", "", ""},
         {"host", "/pub/music/", "*mp3*.ogg", "u", "", ""}},
        {{"host", " pub ", "  ", "u", "", ""}, {"host", "/pub/", "*.*", "u", "", ""}},
        {{"host", "/", "*.*", "u", "", ""}, {"host", "/", "*.*", "u", "", ""}},
    };
    for (const auto& [typed, written] : cases) {
        ScanEntries entries = typed;
        ASSERT_TRUE(NormaliseScanEntries(entries)) << typed.server;
        EXPECT_EQ(textsOf(entries), textsOf(written));
    }
}

TEST(ScanStartTest, ServerOfOnlyTheUrlPrefixStartsNothing) {
    for (const char* server : {"ftp://", "  ftp://  ", "", "   "}) {
        ScanEntries entries{server, "pub", "", "", "", ""};
        EXPECT_FALSE(NormaliseScanEntries(entries)) << "'" << server << "'";
        EXPECT_EQ(entries.path, "pub");
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

    using Lines = std::vector<std::string>;
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

}  // namespace
}  // namespace quarrow::test
