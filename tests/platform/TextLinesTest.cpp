#include "platform/TextLines.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fixtures/TempDir.h"
#include "platform/Cp1251.h"
#include "platform/FileSystem.h"

namespace quarrow {
namespace {

struct SplitCase {
    std::string text;
    std::vector<std::string> lines;
    bool joined = false;  // the text is what joining the lines writes
};

TEST(TextLines, SplitsAtEveryKindOfLineBreakAndJoinsWithCrLf) {
    const std::vector<SplitCase> cases = {
        {"", {}, true},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\rc\r\nd\r\n", {"a", "b", "c", "d"}},
        {"\r\n", {""}, true},
        {"\r\n\r\n", {"", ""}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}, true},
        {"a\r\r\n", {"a", ""}},  // a lone CR, then CR LF
        {"a\n\r", {"a", ""}},    // LF CR is two breaks, not one
        {"a\n\nb", {"a", "", "b"}},
        {"  a  \r\n", {"  a  "}},
        {"\xCC\xF3\xE7\xFB\xEA\xE0\x98\r\n", {"\xCC\xF3\xE7\xFB\xEA\xE0\x98"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("text: " + testing::PrintToString(c.text));
        EXPECT_EQ(splitLines(c.text), c.lines);
        EXPECT_EQ(splitLines(joinLines(c.lines)), c.lines);
        if (c.joined) {
            EXPECT_EQ(joinLines(c.lines), c.text);
        }
    }
}

TEST(TextLines, FileRoundTripWritesCrLfBytesUnderAUtf8NameAndMissingFilesFail) {
    test::TempDir dir;
    const std::string path = dir.path() + utf8ToCp1251("Музыка.txt");
    const std::vector<std::string> lines = {"/pub/", utf8ToCp1251("Папка"), ""};

    std::string error;
    ASSERT_TRUE(writeLinesFile(path, lines, &error)) << error;
    EXPECT_TRUE(std::filesystem::exists(dir.path() + "Музыка.txt"));
    EXPECT_FALSE(fileExists(path + ".tmp"));

    std::string bytes;
    ASSERT_TRUE(readWholeFile(path, bytes));
    EXPECT_EQ(bytes, "/pub/\r\n\xCF\xE0\xEF\xEA\xE0\r\n\r\n");

    std::vector<std::string> readBack;
    ASSERT_TRUE(readLinesFile(path, readBack, &error)) << error;
    EXPECT_EQ(readBack, lines);

    // A missing file fails and leaves the lines alone; so does a write to a missing folder.
    error.clear();
    EXPECT_FALSE(readLinesFile(dir.path() + "absent.txt", readBack, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readBack, lines);
    EXPECT_FALSE(writeLinesFile(dir.path() + "no/such/folder.txt", {"x"}, &error));
}

}  // namespace
}  // namespace quarrow
