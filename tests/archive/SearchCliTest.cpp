#include <regex>

#include "archive/ArchiveTestData.h"
#include "cli/ChildProcess.h"
#include "engine/TestHelpers.h"

namespace quarrow::test {
namespace {

// The search tool over snapshots in a program folder with the language files; each result
// line is compared without its timing, which differs from run to run.
TEST(SearchCli, PrintsOneJsonLinePerQueryWithTheStateCarriedOver) {
    TempDir program;
    copyLanguageFiles(program.path());
    writeSnapshot(
        program.path() + "a.qrnet",
        {"a.org", "/", {{"/music/rock/", "Rock Star.mp3"}, {"/music/rock/", "Rock.mp3"}}});
    // "Музыка/Рок - live.mp3" in Windows-1251.
    writeSnapshot(program.path() + "b.qrnet",
                  {"b.org", "/", {{"/\xCC\xF3\xE7\xFB\xEA\xE0/", "\xD0\xEE\xEA - live.mp3"}}});
    const ChildResult result =
        runCli({"--program-dir", program.path(), "search", program.path() + "a.qrnet",
                program.path() + "b.qrnet", "--", "rock", "rock*", "рок", "rock ", "rocks", "rocks",
                "rock  star", "/", "zebra"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::regex ms(", \"ms\": [0-9]+\\.[0-9]{3}\\}$");
    Lines lines = splitLines(result.out);
    for (auto& line : lines) {
        EXPECT_TRUE(std::regex_search(line, ms)) << line;
        line = std::regex_replace(line, ms, "}");
    }
    EXPECT_EQ(
        lines,
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
