#include <filesystem>
#include <regex>

#include "archive/ArchiveTestData.h"
#include "cli/ChildProcess.h"
#include "engine/TestHelpers.h"

namespace quarrow::test {
namespace {

namespace fs = std::filesystem;

// The search tool over snapshots in a program folder with the language files.
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
    // Each result line without its timing, which differs from run to run.
    Lines search(const std::vector<std::string>& operands, int exitCode) const {
        std::vector<std::string> args = {QUARROW_CLI_PATH, "--program-dir", dir(), "search"};
        args.insert(args.end(), operands.begin(), operands.end());
        const ChildResult result = runChild(args);
        EXPECT_FALSE(result.timedOut) << result.err;
        EXPECT_EQ(result.exitCode, exitCode) << result.err;
        EXPECT_EQ(result.err.find("Sanitizer"), std::string::npos) << result.err;
        static const std::regex ms(", \"ms\": [0-9]+\\.[0-9]{3}\\}$");
        Lines lines = splitLines(result.out);
        for (auto& line : lines) {
            EXPECT_TRUE(std::regex_search(line, ms)) << line;
            line = std::regex_replace(line, ms, "}");
        }
        return lines;
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
    EXPECT_EQ(
        search({a, b, "--", "rock", "rock*", "рок", "rock ", "rocks", "rocks", "rock  star", "/",
                "zebra"},
               0),
        (Lines{
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
            // An empty middle word finds nothing literal: the tolerant stage runs, where with
            // three words short ones need no run.
            R"({"query": "rock  star", "dirs": ["/music/rock/", "/Музыка/"], )"
            R"("files": ["Rock Star.mp3", "Рок - live.mp3"], "status": "Nothing found."})",
            // A text of characters never searched only redraws.
            R"({"query": "/", "dirs": ["/music/rock/", "/Музыка/"], )"
            R"("files": ["Rock Star.mp3", "Рок - live.mp3"], "status": "Nothing found."})",
            // An unindexed first letter empties the lists and keeps the status.
            R"({"query": "zebra", "dirs": [], "files": [], "status": "Nothing found."})"}));
}

}  // namespace
}  // namespace quarrow::test
