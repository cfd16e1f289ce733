#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "archive/ArchiveTestData.h"
#include "cli/ChildProcess.h"
#include "fixtures/TempDir.h"
#include "platform/TextLines.h"

namespace quarrow::test {
namespace {

namespace fs = std::filesystem;

// A result line without its timing, which differs from run to run.
std::string untimed(const std::string& line) {
    static const std::regex ms(", \"ms\": [0-9]+\\.[0-9]{3}\\}$");
    EXPECT_TRUE(std::regex_search(line, ms)) << line;
    return std::regex_replace(line, ms, "}");
}

// A program folder with the language files, as the tool finds them beside itself.
class SearchCliTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir() + "TXT");
        for (const auto& entry : fs::directory_iterator(QUARROW_DATA_DIR "/TXT"))
            fs::copy_file(entry.path(), dir() + "TXT/" + entry.path().filename().string());
    }

    std::string dir() const { return program_.path(); }
    std::string snapshot(const std::string& name, const SnapshotContents& contents) const {
        writeSnapshot(dir() + name, contents);
        return dir() + name;
    }
    ChildResult search(const std::vector<std::string>& operands) const {
        std::vector<std::string> args = {QUARROW_CLI_PATH, "--program-dir", dir(), "search"};
        args.insert(args.end(), operands.begin(), operands.end());
        ChildResult result = runChild(args);
        EXPECT_FALSE(result.timedOut) << result.err;
        EXPECT_EQ(result.termSignal, 0) << result.err;
        EXPECT_EQ(result.err.find("Sanitizer"), std::string::npos) << result.err;
        return result;
    }

    TempDir program_;
};

TEST_F(SearchCliTest, PrintsOneJsonLinePerQueryWithTheStateCarriedOver) {
    const std::string a =
        snapshot("a.qrnet",
                 {"a.org", "/", {{"/music/rock/", "Rock Star.mp3"}, {"/music/rock/", "Rock.mp3"}}});
    // "Музыка/Рок - live.mp3" in Windows-1251.
    const std::string b = snapshot(
        "b.qrnet", {"b.org", "/", {{"/\xCC\xF3\xE7\xFB\xEA\xE0/", "\xD0\xEE\xEA - live.mp3"}}});
    const ChildResult run = search({a, b, "--", "rock", "rock*", "рок", "rock ", "rocks", "rocks"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto lines = splitLines(run.out);
    ASSERT_EQ(lines.size(), 6u) << run.out;
    const std::vector<std::string> expected = {
        R"({"query": "rock", "dirs": ["/music/rock/"], "files": ["Rock Star.mp3", "Rock.mp3"], )"
        R"("status": "Files in archive - 5\rFound - 2"})",
        // A text ending in "*" searches nothing: the lists are shown again.
        R"({"query": "rock*", "dirs": ["/music/rock/"], "files": ["Rock Star.mp3", "Rock.mp3"], )"
        R"("status": "Files in archive - 5\rFound - 2"})",
        R"({"query": "рок", "dirs": [], "files": ["Рок - live.mp3"], )"
        R"("status": "Files in archive - 5\rFound - 1"})",
        // A blank typed last clears the lists; the status stays.
        R"({"query": "rock ", "dirs": [], "files": [], )"
        R"("status": "Files in archive - 5\rFound - 1"})",
        R"({"query": "rocks", "dirs": ["/music/rock/"], "files": ["Rock Star.mp3"], )"
        R"("status": "Nothing found."})",
        R"({"query": "rocks", "dirs": [], "files": [], "status": "Nothing found."})",
    };
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(untimed(lines[i]), expected[i]);
}

TEST_F(SearchCliTest, DamagedSnapshotStopsLoadingButKeepsWhatWasMerged) {
    const std::string a = snapshot("a.qrnet", {"a.org", "/", {{"/x/", "first.mp3"}}});
    const std::string damaged = dir() + "damaged.qrnet";
    std::ofstream(damaged, std::ios::binary)
        << snapshotBytes({"c.org", "/", {{"/y/", "x.mp3"}}}, "d").substr(0, 25);
    const std::string c = snapshot("c.qrnet", {"c.org", "/", {{"/z/", "first again.mp3"}}});
    const ChildResult run = search({a, dir() + "gone.qrnet", damaged, c, "--", "first"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(damaged), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("gone.qrnet"), std::string::npos) << run.err;
    const auto lines = splitLines(run.out);
    ASSERT_EQ(lines.size(), 1u) << run.out;
    EXPECT_EQ(untimed(lines[0]), R"({"query": "first", "dirs": [], "files": ["first.mp3"], )"
                                 R"("status": "Files in archive - 2\rFound - 1"})");
}

TEST_F(SearchCliTest, StatsLineReportsLoadIndexNamesAndMemory) {
    const std::string a = snapshot("a.qrnet", {"a.org", "/", {{"/x/", "1.mp3"}, {"/x/", "2.mp3"}}});
    const ChildResult run = search({"--stats", a, "--"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_TRUE(std::regex_search(
        run.err,
        std::regex("^load [0-9.]+ s, index [0-9.]+ s, names 3, peak memory [0-9.]+ MB\n$")))
        << run.err;
}

TEST_F(SearchCliTest, MalformedArgumentsExitWithUsageCode) {
    const std::string a = snapshot("a.qrnet", {"a.org", "/", {{"/x/", "1.mp3"}}});
    for (const auto& operands :
         std::vector<std::vector<std::string>>{{}, {a}, {a, "rock"}, {"--", "rock"}}) {
        const ChildResult run = search(operands);
        EXPECT_EQ(run.exitCode, 2) << testing::PrintToString(operands);
        EXPECT_NE(run.err.find("--help"), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace quarrow::test
