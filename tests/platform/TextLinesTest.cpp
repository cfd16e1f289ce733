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
};

TEST(TextLines, SplitsAtEveryKindOfLineBreak) {
    const std::vector<SplitCase> cases = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\rc\r\nd\r\n", {"a", "b", "c", "d"}},
        {"\r\n", {""}},
        {"\r\n\r\n", {"", ""}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"a\r\r\n", {"a", ""}},  // a lone CR, then CR LF
        {"a\n\r", {"a", ""}},    // LF CR is two breaks, not one
        {"a\n\nb", {"a", "", "b"}},
        {"  a  \r\n", {"  a  "}},
        {"\xCC\xF3\xE7\xFB\xEA\xE0\x98\r\n", {"\xCC\xF3\xE7\xFB\xEA\xE0\x98"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(splitLines(c.text), c.lines) << "text: " << testing::PrintToString(c.text);
    }
}

TEST(TextLines, JoinEndsEveryLineWithCrLf) {
    EXPECT_EQ(joinLines({}), "");
    EXPECT_EQ(joinLines({""}), "\r\n");
    EXPECT_EQ(joinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
    const std::vector<std::string> lines = {"first", "", "\xC0\xC1", "last "};
    EXPECT_EQ(splitLines(joinLines(lines)), lines);
}

TEST(TextLines, FileRoundTripWritesCrLfBytesUnderAUtf8Name) {
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
}

TEST(TextLines, MissingFileFailsAndLeavesLinesAlone) {
    test::TempDir dir;
    std::vector<std::string> lines = {"kept"};
    std::string error;
    EXPECT_FALSE(readLinesFile(dir.path() + "absent.txt", lines, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(lines, std::vector<std::string>{"kept"});
    EXPECT_FALSE(writeLinesFile(dir.path() + "no/such/folder.txt", {"x"}, &error));
}

}  // namespace
}  // namespace quarrow
