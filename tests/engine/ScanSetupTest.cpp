
#include "engine/CommandLine.h"
#include "engine/EngineContext.h"
#include "engine/Masks.h"
#include "engine/ScanStart.h"
#include "engine/TestHelpers.h"

namespace quarrow::test {
namespace {

// All entry texts at once, so one expectation shows every field that differs.
Lines textsOf(const ScanEntries& e) {
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
        {{"  ftp://  ", "pub", "", "", "", ""}, std::nullopt},
        {{"   ", "pub", "", "", "", ""}, std::nullopt},
    };
    for (const auto& [typed, written] : cases) {
        ScanEntries entries = typed;
        EXPECT_EQ(NormaliseScanEntries(entries), written.has_value()) << "'" << typed.server << "'";
        EXPECT_EQ(textsOf(entries), textsOf(written.value_or(typed)));
    }
    for (const auto& [text, port] : {std::pair{"", 21}, {"  ", 21}, {" 2121 ", 2121}})
        EXPECT_EQ(StartPort(text), port) << text;
    for (const char* bad : {"abc", "21a", "70000", "0"}) EXPECT_FALSE(StartPort(bad)) << bad;
}

TEST(CommandLineFill, FillsTheJobWithDefaultsAndNormalisedValues) {
    EXPECT_EQ(KeywordValue("x[path=/a][path=/b]", "[path="), "/a");
    EXPECT_EQ(KeywordValue("[path=/open", "[path="), "/open");
    EXPECT_EQ(KeywordValue("[Path=/a]", "[path="), std::nullopt);

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
        {"[server=h][path=pub][mask=.ogg][port=000021]",
         {"h", "/pub/", "*.OGG", "21", "/prog/Arhive/h_" + day,
          "/prog/Session/h_" + day + "_h_" + day, "1"}},
        {"[server=ftp://h][path=][mask=][nodirchild]",
         {"h", "/", "*.*", "21", "/prog/Arhive/h_" + day, "/prog/Session/h_" + day + "_h_" + day,
          "0"}},
        // Only a lower-case prefix is removed; a slash in the server makes no folder. A whole
        // number out of range is no error of the line: that scan alone fails to connect.
        {"[server=FTP://s][port=70000]",
         {"FTP://s", "/", "*.*", "70000", "/prog/Arhive/FTP:__s_" + day,
          "/prog/Session/FTP:__s_" + day + "_FTP:__s_" + day, "1"}},
        {"[server=s][savefilename=/out/list_%date%.qrnet]",
         {"s", "/", "*.*", "21", "/out/list_" + day, "/prog/Session/list_" + day + "_s_" + day,
          "1"}},
        {"[server=s][savefilename=res_%date%]",
         {"s", "/", "*.*", "21", "res_05.12", "/prog/Session/res_05.12_s_" + day, "1"}},
    };
    TFtpMain job;
    std::string error;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        ASSERT_EQ(
            FillJobFromDescription(context, job, c.description, localTime(2026, 12, 5, 12), error),
            FillResult::Filled);
        EXPECT_EQ((Lines{job.Server, job.Path, job.Mask, std::to_string(job.Port), job.SnapshotBase,
                         job.ResumeBase, job.Recursive ? "1" : "0"}),
                  c.fields);
        EXPECT_EQ((Lines{job.CurrentDir, job.UserName, job.Password, job.StartStamp}),
                  (Lines{job.Path, "anonymous", "us@site", day}));
        EXPECT_EQ(job.TextExport, 0);
    }
    EXPECT_EQ(job.Extensions, Lines{"*.*"});
    for (const char* bad : {"[server=s][port=abc]", "[server=s][port=]", "[server=s][port=-21]"})
        EXPECT_EQ(FillJobFromDescription(context, job, bad, 0, error), FillResult::BadPort) << bad;
    EXPECT_NE(error.find("-21"), std::string::npos) << error;
    EXPECT_EQ(FillJobFromDescription(context, job, "[path=/x]", 0, error), FillResult::NoServer);
}

TEST(Masks, ExtensionsSplitAtStarsAndTrimmedAndNamesMatchByTheExtensionRule) {
    const std::pair<const char*, Lines> masks[] = {
        {"*.MP3*.OGG", {".MP3", ".OGG"}},
        {"*.MP3 *.OGG ", {".MP3", ".OGG"}},
        {"JUNK*.AVI", {".AVI"}},
        {" *.* ", {"*.*"}},
        {"*", {}},
        {"*.MP3;*.OGG", {".MP3;", ".OGG"}},
        {"*.A*.BC", {".A", ".BC"}},
        {"*.MP3*X", {".MP3"}},  // one character is no mask
    };
    for (const auto& [mask, extensions] : masks) EXPECT_EQ(BuildExtensions(mask), extensions);

    // Names shorter than four characters never match an extension (".mp"); the name's
    // extension is upper-cased, Cyrillic included, the mask is taken as it is.
    const struct {
        const char *name, *mask;
        bool matches;
    } cases[] = {
        {"a.mp3", "*.MP3", true},
        {"a.mp", "*.MP3", false},
        {"abcde.mp", "*.MP", true},
        {"x.ogg", "*.MP3*.OGG", true},
        {"x.ogg.txt", "*.OGG", false},
        {"noext", "*.", true},
        {"noext", "*", true},
        {"a.b", "*.*", true},
        {"dir.mp3\\x", "*.MP3", false},
        {"c:x.mp3:y", "*.MP3", false},
        {"track.MP3", "*.mp3", false},
        {".mp", "*.MP", false},
        {"x.mp", "*.MP", true},
        {"\xCE\xF2\xEF\xF3\xF1\xEA.\xD4\xEE\xF2\xEE", "*.\xD4\xCE\xD2\xCE", true},  // "Отпуск.Фото"
        {"\xCE\xF2\xEF\xF3\xF1\xEA.\xF4\xEE\xF2", "*.\xD4\xCE\xD2\xCE", false},  // "Отпуск.фот"
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesMask(c.name, c.mask, BuildExtensions(c.mask)), c.matches)
            << c.name << " against " << c.mask;
}

}  // namespace
}  // namespace quarrow::test
